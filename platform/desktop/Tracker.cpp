// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Tracker.h>

#include <Entry.h>
#include <Launcher.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Roster.h>
#include <StorageDefs.h>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

const char* Tracker::kQueryMimeType = "application/x-vnd.Be-query";

// Installed, the query window sits beside the running program; in the build tree it
// is in the platform folder beside the program's own folder.
static std::string
query_window_program()
{
	const std::string program = Launcher::FindCompanion("be-query-window", "platform");
	return program.empty() ? Launcher::InstallFolder() + "/be-query-window" : program;
}

status_t
Tracker::Open(const char* path)
{
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	struct stat st;
	if (stat(path, &st) != 0)
		return B_ENTRY_NOT_FOUND;
	if (S_ISREG(st.st_mode)) {
		BNode node(path);
		BNodeInfo info(&node);
		char type[B_MIME_TYPE_LENGTH];
		if (info.GetType(type) == B_OK && strcmp(type, kQueryMimeType) == 0)
			return Launcher::Start({query_window_program(), path});
		// A typed file opens in its type's preferred application, as on BeOS; the
		// desktop decides for the rest.
		entry_ref ref;
		if (get_ref_for_path(path, &ref) == B_OK && be_roster->Launch(&ref) == B_OK)
			return B_OK;
	}
	return Launcher::Start({"xdg-open", path});
}
