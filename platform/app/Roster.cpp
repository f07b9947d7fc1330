// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Roster.h>

#include <BroadcastBus.h>
#include <DesktopEntry.h>
#include <Entry.h>
#include <Launcher.h>
#include <Message.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>

#include <cstring>
#include <strings.h>

static const BRoster sRoster;
const BRoster* be_roster = &sRoster;

// Starts the application of the signature with the arguments.
static status_t
start_application(const char* signature, const std::vector<std::string>& arguments)
{
	const size_t prefix = strlen(BMimeType::kDesktopEntryPrefix);
	if (strncasecmp(signature, BMimeType::kDesktopEntryPrefix, prefix) == 0) {
		const std::string file = DesktopEntry::Find(std::string(signature + prefix) + ".desktop");
		if (file.empty())
			return B_LAUNCH_FAILED_APP_NOT_FOUND;
		std::vector<std::string> argv;
		if (DesktopEntry::ExpandExec(DesktopEntry::Read(file), file, arguments, &argv) != B_OK ||
		    Launcher::FindProgram(argv[0]).empty())
			return B_LAUNCH_FAILED_APP_NOT_FOUND;
		return Launcher::Start(argv);
	}
	entry_ref hint;
	if (BMimeType(signature).GetAppHint(&hint) != B_OK)
		return B_LAUNCH_FAILED_APP_NOT_FOUND;
	if (Launcher::FindProgram(hint.Path()).empty())
		return B_LAUNCH_FAILED_APP_NOT_FOUND;
	std::vector<std::string> argv = {hint.Path()};
	argv.insert(argv.end(), arguments.begin(), arguments.end());
	return Launcher::Start(argv);
}

static bool
is_application(const BMimeType& type)
{
	if (strncasecmp(type.Type(), BMimeType::kDesktopEntryPrefix,
	                strlen(BMimeType::kDesktopEntryPrefix)) == 0)
		return true;
	entry_ref hint;
	return type.GetAppHint(&hint) == B_OK;
}

status_t
BRoster::Launch(const char* mimeType, int argc, const char* const* args) const
{
	BMimeType type(mimeType);
	if (type.InitCheck() != B_OK || argc < 0 || (argc > 0 && args == nullptr))
		return B_BAD_VALUE;
	std::vector<std::string> arguments;
	for (int i = 0; i < argc; i++) {
		if (args[i] == nullptr)
			return B_BAD_VALUE;
		arguments.push_back(args[i]);
	}
	if (is_application(type))
		return start_application(type.Type(), arguments);
	char preferred[B_MIME_TYPE_LENGTH];
	if (type.GetPreferredApp(preferred) != B_OK)
		return B_LAUNCH_FAILED_NO_PREFERRED_APP;
	return start_application(preferred, arguments);
}

status_t
BRoster::Launch(const entry_ref* ref, int argc, const char* const* args) const
{
	if (ref == nullptr || ref->Path().empty() || argc < 0 || (argc > 0 && args == nullptr))
		return B_BAD_VALUE;
	BNode node(ref);
	if (node.InitCheck() != B_OK)
		return node.InitCheck();
	char type[B_MIME_TYPE_LENGTH];
	if (BNodeInfo(&node).GetType(type) != B_OK)
		return B_LAUNCH_FAILED_NO_PREFERRED_APP;
	char preferred[B_MIME_TYPE_LENGTH];
	BMimeType fileType(type);
	if (fileType.InitCheck() != B_OK || fileType.GetPreferredApp(preferred) != B_OK)
		return B_LAUNCH_FAILED_NO_PREFERRED_APP;
	std::vector<std::string> arguments = {ref->Path()};
	for (int i = 0; i < argc; i++) {
		if (args[i] == nullptr)
			return B_BAD_VALUE;
		arguments.push_back(args[i]);
	}
	return start_application(preferred, arguments);
}

status_t
BRoster::Broadcast(BMessage* message) const
{
	if (message == nullptr)
		return B_BAD_VALUE;
	std::vector<char> flat;
	status_t status = message->Flatten(&flat);
	if (status != B_OK)
		return status;
	return BroadcastBus::Send(flat);
}
