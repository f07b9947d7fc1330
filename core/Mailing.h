// Kalimo core library. MIT licence.
#ifndef MAILING_H
#define MAILING_H

#include <string>
#include <vector>

// The system mail program's signature, and the type of its draft files.
inline constexpr const char* kSystemMailSignature = "application/x-vnd.Be-MAIL";
inline constexpr const char* kMailDraftType = "text/x-vnd.Be-MailDraft";

// Prepares a mail to the attendees of an event (the lines after "ATTENDEE;" in its
// description) with the subject, and hands it to the user's mail program (the
// preferred application of "text/x-email"): the system mail program gets the draft
// file "EventDraft" in the user's private runtime folder, every other one a "mailto:"
// address. verbose only adds the address count to the trace.
void OpenMailing(const char* description, const char* subject, bool verbose);

// The addresses of the attendee block: every line after the one holding "ATTENDEE;",
// up to the last line break (an empty line too). None when "ATTENDEE;" is missing or
// stands at the very start of the text.
std::vector<std::string> AttendeeAddresses(const char* description);

// The "mailto:" address (RFC 6068) for the recipient, the copies and the subject:
// every byte outside the unreserved characters and "@" is percent-encoded, so "&",
// "?", "%", "#", blanks, quotes, line breaks and non-ASCII (UTF-8) travel as data.
// Empty copies are left out; an empty subject becomes "Event".
std::string MailtoUrl(const std::string& to, const std::vector<std::string>& cc,
                      const std::string& subject);

#endif // MAILING_H
