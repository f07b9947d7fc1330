// Kalimo core library. MIT licence.
#ifndef PROGRAMS_H
#define PROGRAMS_H

// The two programs of the system, as the MIME database and the desktop know them.
inline constexpr const char* kEditorSignature = "application/x-Event";
inline constexpr const char* kWatcherSignature = "application/x-vnd.Vigilo";
inline constexpr const char* kEditorName = "Kalimo";
inline constexpr const char* kWatcherName = "Pendulo";
// The version comes from the project's (CMakeLists.txt); the banner shows its
// build number, the version's second part.
inline constexpr const char* kProgramVersion = "(m4) " KALIMO_VERSION;
inline constexpr int kBuildNumber = KALIMO_BUILD_NUMBER;

#endif // PROGRAMS_H
