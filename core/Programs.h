// Kalimo core library. MIT licence.
#ifndef PROGRAMS_H
#define PROGRAMS_H

// The two programs of the system, as the MIME database and the desktop know them.
inline constexpr const char* kEditorSignature = "application/x-Event";
inline constexpr const char* kWatcherSignature = "application/x-vnd.Vigilo";
inline constexpr const char* kEditorName = "Kalimo";
inline constexpr const char* kWatcherName = "Pendulo";
inline constexpr const char* kProgramVersion = "(m4) 0.938";

#endif // PROGRAMS_H
