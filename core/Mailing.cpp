// Kalimo core library. MIT licence.
#include "Mailing.h"

#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <MimeType.h>
#include <NodeInfo.h>
#include <Path.h>
#include <Roster.h>
#include <TypeConstants.h>

#include <cstdio>
#include <cstring>
#include <strings.h>

static const char* kDraftName = "EventDraft";

std::vector<std::string>
AttendeeAddresses(const char* description)
{
	std::vector<std::string> addresses;
	if (description == nullptr)
		return addresses;
	const std::string text(description);
	const size_t block = text.find("ATTENDEE;");
	if (block == std::string::npos || block < 1)
		return addresses;
	// Past "ATTENDEE;" and its line break.
	size_t at = block + 10;
	size_t end;
	while (at <= text.size() && (end = text.find('\n', at)) != std::string::npos) {
		addresses.push_back(text.substr(at, end - at));
		at = end + 1;
	}
	return addresses;
}

static std::string
percent_encoded(const std::string& text)
{
	static const char kHex[] = "0123456789ABCDEF";
	std::string result;
	for (unsigned char c : text) {
		if (isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '@') {
			result += (char)c;
		} else {
			result += '%';
			result += kHex[c >> 4];
			result += kHex[c & 15];
		}
	}
	return result;
}

// An address without the blanks and carriage returns around it.
static std::string
clean_address(const std::string& address)
{
	const size_t start = address.find_first_not_of(" \t\r\n");
	if (start == std::string::npos)
		return "";
	return address.substr(start, address.find_last_not_of(" \t\r\n") - start + 1);
}

std::string
MailtoUrl(const std::string& to, const std::vector<std::string>& cc, const std::string& subject)
{
	std::string url = "mailto:" + percent_encoded(clean_address(to));
	url += "?subject=" + percent_encoded(subject.empty() ? "Event" : subject);
	std::string copies;
	for (const std::string& address : cc) {
		const std::string clean = clean_address(address);
		if (clean.empty())
			continue;
		// The comma between addresses is the URL's own; one inside an address is data.
		if (!copies.empty())
			copies += ",";
		copies += percent_encoded(clean);
	}
	if (!copies.empty())
		url += "&cc=" + copies;
	return url;
}

static void
write_draft(const std::string& to, const std::string& cc, const char* subject)
{
	BPath folder;
	if (find_directory(B_SYSTEM_TEMP_DIRECTORY, &folder) != B_OK) {
		printf("no private folder for the mail draft\n");
		return;
	}
	const std::string path = std::string(folder.Path()) + "/" + kDraftName;
	{
		BFile draft(path.c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
		if (draft.InitCheck() != B_OK) {
			printf("err.writing: %s\n", strerror_be(draft.InitCheck()));
			return;
		}
		draft.Write("\n ", 2);
		const BString copies(cc.c_str());
		const BString title(subject != nullptr && strlen(subject) > 2 ? subject : "Event");
		const BString recipient(to.c_str());
		draft.WriteAttrString("MAIL:cc", &copies);
		draft.WriteAttrString("MAIL:subject", &title);
		draft.WriteAttrString("MAIL:to", &recipient);
		status_t status = draft.WriteAttrString("MAIL:name", &recipient);
		if (status != B_OK)
			printf("err.writing: %s\n", strerror_be(status));
		const int32 isDraft = 1;
		ssize_t written = draft.WriteAttr("MAIL:draft", B_INT32_TYPE, 0, &isDraft, sizeof(isDraft));
		if (written < 0)
			printf("err.writing: %s\n", strerror_be((status_t)written));
		BNodeInfo(&draft).SetType(kMailDraftType);
	}
	entry_ref ref;
	if (get_ref_for_path(path.c_str(), &ref) == B_OK) {
		// The draft type's preferred application, with the draft as its argument.
		status_t status = be_roster->Launch(&ref);
		if (status != B_OK)
			printf("mail draft: %s\n", strerror_be(status));
	}
}

void
OpenMailing(const char* description, const char* subject, bool verbose)
{
	const std::vector<std::string> addresses = AttendeeAddresses(description);
	const std::string to = addresses.empty() ? "" : addresses[0];
	std::string cc;
	for (size_t i = 1; i < addresses.size(); i++)
		cc += (i > 1 ? " , " : "") + addresses[i];
	if (verbose)
		printf("OpenMailing: %zu addresses\n", addresses.size());

	char mailer[B_MIME_TYPE_LENGTH] = "";
	if (BMimeType("text/x-email").GetPreferredApp(mailer) != B_OK) {
		printf("OpenMailing: no mail program\n");
		return;
	}
	printf("OpenMailing: [%s]\n", mailer);
	if (strcasecmp(mailer, kSystemMailSignature) == 0) {
		write_draft(to, cc, subject);
		return;
	}
	// Every other mail program takes the mail as a "mailto:" address.
	const std::vector<std::string> copies(
	    addresses.size() > 1 ? addresses.begin() + 1 : addresses.end(), addresses.end());
	const std::string url = MailtoUrl(to, copies, subject != nullptr ? subject : "");
	const char* args[] = {url.c_str()};
	status_t status = be_roster->Launch(mailer, 1, args);
	if (status != B_OK)
		printf("OpenMailing: %s\n", strerror_be(status));
}
