// Kalimo platform layer: Be API on Linux. MIT licence.
#include <MimeDatabase.h>

#include <DesktopEntry.h>
#include <Directory.h>
#include <FindDirectory.h>
#include <Launcher.h>
#include <Message.h>
#include <Node.h>
#include <NodeAttributes.h>
#include <Path.h>
#include <RegularFile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

const char* MimeDatabase::kTypeAttr = "META:TYPE";
const char* MimeDatabase::kShortDescAttr = "META:S:DESC";
const char* MimeDatabase::kLongDescAttr = "META:L:DESC";
const char* MimeDatabase::kExtensionsAttr = "META:EXTENS";
const char* MimeDatabase::kPreferredAttr = "META:PREF_APP";
const char* MimeDatabase::kAppHintAttr = "META:PPATH";
const char* MimeDatabase::kAttrInfoAttr = "META:ATTR_INFO";
const char* MimeDatabase::kLargeIconAttr = "META:L:STD_ICON";
const char* MimeDatabase::kMiniIconAttr = "META:M:STD_ICON";

static const char* kPackageName = "be-mime-db.xml";
static const char* kEntryPrefix = "be-";
static const char* kDefaultsGroup = "[Default Applications]";

namespace
{

struct TypeRecord {
	std::string type;
	std::string shortDescription;
	std::string longDescription;
	std::string preferred;
	std::string hint;
	std::vector<std::string> extensions;
};

std::string
folder_of(directory_which which)
{
	BPath path;
	if (find_directory(which, &path, true) != B_OK)
		return "";
	return path.Path();
}

std::string
read_string(const BNode& node, const char* attribute)
{
	attr_info info;
	if (node.GetAttrInfo(attribute, &info) != B_OK || info.size <= 0 || info.size > 65536)
		return "";
	std::string value((size_t)info.size, '\0');
	ssize_t read = node.ReadAttr(attribute, info.type, 0, value.data(), value.size());
	if (read < 0)
		return "";
	value.resize((size_t)read);
	const size_t end = value.find('\0');
	if (end != std::string::npos)
		value.resize(end);
	return value;
}

std::vector<TypeRecord>
read_database()
{
	std::vector<TypeRecord> records;
	BDirectory database(MimeDatabase::Folder().c_str());
	BEntry super;
	while (database.InitCheck() == B_OK && database.GetNextEntry(&super) == B_OK) {
		if (!super.IsDirectory() || super.Name()[0] == '.')
			continue;
		BDirectory folder(&super);
		BEntry sub;
		while (folder.InitCheck() == B_OK && folder.GetNextEntry(&sub) == B_OK) {
			if (!sub.IsFile() || sub.Name()[0] == '.')
				continue;
			BNode node(&sub);
			if (node.InitCheck() != B_OK)
				continue;
			TypeRecord record;
			record.type = read_string(node, MimeDatabase::kTypeAttr);
			if (record.type.empty())
				record.type = std::string(super.Name()) + "/" + sub.Name();
			record.shortDescription = read_string(node, MimeDatabase::kShortDescAttr);
			record.longDescription = read_string(node, MimeDatabase::kLongDescAttr);
			record.preferred = read_string(node, MimeDatabase::kPreferredAttr);
			record.hint = read_string(node, MimeDatabase::kAppHintAttr);
			std::string flat;
			attr_info info;
			if (node.GetAttrInfo(MimeDatabase::kExtensionsAttr, &info) == B_OK && info.size > 0 &&
			    (uint64)info.size <= NodeAttributes::kMaxValueSize) {
				flat.resize((size_t)info.size);
				BMessage extensions;
				if (node.ReadAttr(MimeDatabase::kExtensionsAttr, info.type, 0, flat.data(),
				                  flat.size()) == (ssize_t)flat.size() &&
				    extensions.Unflatten(flat.data(), (ssize_t)flat.size()) == B_OK) {
					const char* extension;
					for (int32 i = 0; extensions.FindString("extensions", i, &extension) == B_OK;
					     i++)
						record.extensions.push_back(extension);
				}
			}
			records.push_back(record);
		}
	}
	// Directory order differs between file systems; the files written must not.
	std::sort(records.begin(), records.end(),
	          [](const TypeRecord& a, const TypeRecord& b) { return a.type < b.type; });
	return records;
}

// Text for an XML element or attribute: markup escaped, characters XML cannot hold
// and bytes that are not UTF-8 replaced, so one odd description cannot spoil the
// whole package.
std::string
xml_text(const std::string& text)
{
	std::string result;
	for (size_t i = 0; i < text.size();) {
		const unsigned char c = (unsigned char)text[i];
		size_t length = c < 0x80         ? 1
		                : (c >> 5) == 6  ? 2
		                : (c >> 4) == 14 ? 3
		                : (c >> 3) == 30 ? 4
		                                 : 0;
		bool valid = length > 0 && i + length <= text.size();
		for (size_t k = 1; valid && k < length; k++)
			valid = ((unsigned char)text[i + k] >> 6) == 2;
		if (!valid) {
			result += '?';
			i++;
			continue;
		}
		if (length > 1) {
			result.append(text, i, length);
		} else if (c == '&') {
			result += "&amp;";
		} else if (c == '<') {
			result += "&lt;";
		} else if (c == '>') {
			result += "&gt;";
		} else if (c == '"') {
			result += "&quot;";
		} else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
			result += '?';
		} else {
			result += (char)c;
		}
		i += length;
	}
	return result;
}

std::string
package_xml(const std::vector<TypeRecord>& records)
{
	std::string xml;
	for (const TypeRecord& record : records) {
		// Application signatures become desktop entries, not file types.
		if (!record.hint.empty())
			continue;
		const std::string& comment =
		    !record.shortDescription.empty() ? record.shortDescription : record.longDescription;
		if (comment.empty() && record.extensions.empty())
			continue;
		xml += "  <mime-type type=\"" + xml_text(record.type) + "\">\n";
		if (!comment.empty())
			xml += "    <comment>" + xml_text(comment) + "</comment>\n";
		// Below the default weight of 50: a type the desktop already gives the
		// extension ("*.ics" is text/calendar) keeps it.
		for (const std::string& extension : record.extensions)
			xml += "    <glob pattern=\"*." + xml_text(extension) + "\" weight=\"10\"/>\n";
		xml += "  </mime-type>\n";
	}
	if (xml.empty())
		return "";
	return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
	       "<!-- Written by the Be MIME database (" +
	       xml_text(MimeDatabase::Folder()) + "); changes here are overwritten. -->\n" +
	       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n" + xml +
	       "</mime-info>\n";
}

status_t
update_package(const std::vector<TypeRecord>& records)
{
	const std::string data = folder_of(B_USER_DATA_DIRECTORY);
	if (data.empty())
		return B_ENTRY_NOT_FOUND;
	const std::string mime = data + "/mime";
	const std::string package = mime + "/packages/" + kPackageName;
	const std::string xml = package_xml(records);
	bool changed = false;
	status_t status = B_OK;
	if (xml.empty()) {
		changed = unlink(package.c_str()) == 0;
	} else {
		status = DesktopEntry::WriteIfChanged(package, xml, &changed);
		if (status != B_OK) {
			fprintf(stderr, "MIME database: cannot write %s: %s\n", package.c_str(),
			        strerror_be(status));
			return status;
		}
	}
	if (!changed)
		return B_OK;
	int exitStatus = 0;
	status = Launcher::Run({"update-mime-database", mime}, &exitStatus, nullptr, 60000000);
	if (status == B_OK && exitStatus != 0)
		status = B_ERROR;
	if (status != B_OK)
		fprintf(stderr, "MIME database: update-mime-database %s failed: %s\n", mime.c_str(),
		        strerror_be(status));
	return status;
}

std::string
entry_id_for(const std::string& hint, std::set<std::string>* taken)
{
	std::string leaf = hint.substr(hint.rfind('/') + 1);
	for (char& c : leaf) {
		if (!isalnum((unsigned char)c) && c != '-' && c != '_')
			c = '_';
	}
	std::string id = kEntryPrefix + leaf;
	for (int n = 2; taken->count(id) != 0; n++)
		id = kEntryPrefix + leaf + "-" + std::to_string(n);
	taken->insert(id);
	return id + ".desktop";
}

// Writes the entries of the application signatures; returns signature (lower case)
// → entry id.
std::map<std::string, std::string>
update_entries(const std::vector<TypeRecord>& records, status_t* result)
{
	std::map<std::string, std::string> ids;
	const std::string data = folder_of(B_USER_DATA_DIRECTORY);
	if (data.empty()) {
		*result = B_ENTRY_NOT_FOUND;
		return ids;
	}
	const std::string folder = data + "/applications";
	std::set<std::string> taken;
	std::set<std::string> written;
	for (const TypeRecord& record : records) {
		if (record.hint.empty())
			continue;
		const std::string id = entry_id_for(record.hint, &taken);
		const std::string leaf = record.hint.substr(record.hint.rfind('/') + 1);
		std::string types;
		for (const TypeRecord& other : records) {
			if (!other.preferred.empty() &&
			    strcasecmp(other.preferred.c_str(), record.type.c_str()) == 0)
				types += other.type + ";";
		}
		using DesktopEntry::EscapeValue;
		std::string content = "[Desktop Entry]\nType=Application\n";
		content += "Name=" +
		           EscapeValue(!record.shortDescription.empty() ? record.shortDescription : leaf) +
		           "\n";
		if (!record.longDescription.empty())
			content += "Comment=" + EscapeValue(record.longDescription) + "\n";
		content += "Exec=" + EscapeValue(DesktopEntry::QuoteExecArgument(record.hint)) + " %F\n";
		if (!types.empty())
			content += "MimeType=" + types + "\n";
		// The program's own menu entry is the one it installs; this one serves the
		// associations.
		content += "NoDisplay=true\n";
		content += std::string(DesktopEntry::kSignatureKey) + "=" + EscapeValue(record.type) + "\n";
		status_t status = DesktopEntry::WriteIfChanged(folder + "/" + id, content);
		if (status != B_OK) {
			fprintf(stderr, "MIME database: cannot write %s/%s: %s\n", folder.c_str(), id.c_str(),
			        strerror_be(status));
			*result = status;
			continue;
		}
		std::string lower = record.type;
		std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
		ids[lower] = id;
		written.insert(id);
	}
	// Entries of signatures that are gone.
	BDirectory applications(folder.c_str());
	BEntry entry;
	while (applications.InitCheck() == B_OK && applications.GetNextEntry(&entry) == B_OK) {
		const std::string name = entry.Name();
		if (name.compare(0, strlen(kEntryPrefix), kEntryPrefix) != 0 || written.count(name) != 0)
			continue;
		if (DesktopEntry::Read(entry.Path()).count(DesktopEntry::kSignatureKey) != 0)
			unlink(entry.Path());
	}
	return ids;
}

bool
is_own_entry(const std::string& value)
{
	const std::string first = value.substr(0, value.find(';'));
	return first.compare(0, strlen(kEntryPrefix), kEntryPrefix) == 0 && first.size() > 8 &&
	       first.compare(first.size() - 8, 8, ".desktop") == 0;
}

status_t
update_defaults(const std::vector<TypeRecord>& records,
                const std::map<std::string, std::string>& ids)
{
	const std::string config = folder_of(B_USER_CONFIG_DIRECTORY);
	if (config.empty())
		return B_ENTRY_NOT_FOUND;
	// type (lower case) → its line
	std::map<std::string, std::string> wanted;
	for (const TypeRecord& record : records) {
		std::string preferred = record.preferred;
		std::transform(preferred.begin(), preferred.end(), preferred.begin(), ::tolower);
		auto id = ids.find(preferred);
		if (id == ids.end())
			continue;
		std::string type = record.type;
		std::transform(type.begin(), type.end(), type.begin(), ::tolower);
		wanted[type] = record.type + "=" + id->second;
	}

	const std::string path = config + "/mimeapps.list";
	if (!IsWritablePlace(path))
		return B_BAD_TYPE;
	std::vector<std::string> lines;
	{
		std::ifstream in(path);
		std::string line;
		while (std::getline(in, line))
			lines.push_back(line);
	}
	std::vector<std::string> result;
	bool inGroup = false;
	bool sawGroup = false;
	auto flush = [&]() {
		for (const auto& [type, line] : wanted)
			result.push_back(line);
		wanted.clear();
	};
	for (const std::string& line : lines) {
		if (!line.empty() && line[0] == '[') {
			if (inGroup)
				flush();
			inGroup = line.compare(0, strlen(kDefaultsGroup), kDefaultsGroup) == 0;
			sawGroup = sawGroup || inGroup;
			result.push_back(line);
			continue;
		}
		const size_t equals = line.find('=');
		if (!inGroup || equals == std::string::npos || line[0] == '#') {
			result.push_back(line);
			continue;
		}
		std::string key = line.substr(0, equals);
		std::transform(key.begin(), key.end(), key.begin(), ::tolower);
		auto want = wanted.find(key);
		if (want != wanted.end()) {
			result.push_back(want->second);
			wanted.erase(want);
		} else if (!is_own_entry(line.substr(equals + 1))) {
			result.push_back(line);
		}
	}
	if (inGroup)
		flush();
	if (!wanted.empty()) {
		if (!sawGroup) {
			if (!result.empty() && !result.back().empty())
				result.push_back("");
			result.push_back(kDefaultsGroup);
		}
		flush();
	}
	if (lines.empty() && result.empty())
		return B_OK;
	std::string content;
	for (const std::string& line : result)
		content += line + "\n";
	status_t status = DesktopEntry::WriteIfChanged(path, content);
	if (status != B_OK)
		fprintf(stderr, "MIME database: cannot write %s: %s\n", path.c_str(), strerror_be(status));
	return status;
}

// The desktop's default by the freedesktop rules (MIME Applications
// Associations): the first entry named for the type in [Default
// Applications] of the mimeapps.list files, desktop-specific lists first.
std::string
listed_default(const std::string& type)
{
	std::vector<std::string> folders;
	folders.push_back(folder_of(B_USER_CONFIG_DIRECTORY));
	const char* configDirs = getenv("XDG_CONFIG_DIRS");
	std::stringstream configs(configDirs != nullptr && configDirs[0] != '\0' ? configDirs
	                                                                         : "/etc/xdg");
	std::string folder;
	while (std::getline(configs, folder, ':'))
		folders.push_back(folder);
	for (const std::string& applications : DesktopEntry::ApplicationFolders())
		folders.push_back(applications);
	std::vector<std::string> prefixes;
	const char* desktops = getenv("XDG_CURRENT_DESKTOP");
	std::stringstream names(desktops != nullptr ? desktops : "");
	std::string name;
	while (std::getline(names, name, ':')) {
		std::transform(name.begin(), name.end(), name.begin(), ::tolower);
		if (!name.empty())
			prefixes.push_back(name + "-");
	}
	prefixes.push_back("");
	for (const std::string& place : folders) {
		if (place.empty() || place[0] != '/')
			continue;
		for (const std::string& prefix : prefixes) {
			const std::string list = place + "/" + prefix + "mimeapps.list";
			if (!IsRegularFile(list))
				continue;
			std::ifstream in(list);
			std::string line;
			bool inGroup = false;
			while (std::getline(in, line)) {
				if (!line.empty() && line[0] == '[') {
					inGroup = line.compare(0, strlen(kDefaultsGroup), kDefaultsGroup) == 0;
					continue;
				}
				// MIME types are case-insensitive: "text/x-kalimo=" names the
				// entry of "text/x-Kalimo" too.
				if (!inGroup || line.size() <= type.size() || line[type.size()] != '=' ||
				    strncasecmp(line.c_str(), type.c_str(), type.size()) != 0)
					continue;
				std::stringstream ids(line.substr(type.size() + 1));
				std::string id;
				while (std::getline(ids, id, ';')) {
					if (!id.empty() && !DesktopEntry::Find(id).empty())
						return id;
				}
			}
		}
	}
	return "";
}

} // namespace

std::string
MimeDatabase::Folder()
{
	const std::string config = folder_of(B_USER_SETTINGS_DIRECTORY);
	return config.empty() ? "" : config + "/mime_db";
}

status_t
MimeDatabase::UpdateDesktop()
{
	const std::vector<TypeRecord> records = read_database();
	status_t result = update_package(records);
	status_t entries = B_OK;
	const auto ids = update_entries(records, &entries);
	if (result == B_OK)
		result = entries;
	status_t defaults = update_defaults(records, ids);
	return result != B_OK ? result : defaults;
}

std::string
MimeDatabase::DesktopDefault(const char* type)
{
	if (type == nullptr)
		return "";
	std::vector<std::string> questions;
	if (strcasecmp(type, "text/html") == 0)
		questions = {"x-scheme-handler/http", "text/html"};
	else if (strcasecmp(type, "text/x-email") == 0)
		questions = {"x-scheme-handler/mailto"};
	else
		questions = {type};
	for (const std::string& question : questions) {
		std::string answer;
		int exitStatus = 0;
		status_t status =
		    Launcher::Run({"xdg-mime", "query", "default", question}, &exitStatus, &answer);
		if (status != B_OK || exitStatus != 0)
			answer.clear();
		answer = answer.substr(0, answer.find('\n'));
		// Without xdg-mime, or where it cannot read an entry (it takes a quoted program
		// path apart at its blanks), the lists themselves answer.
		if (answer.empty())
			answer = listed_default(question);
		while (!answer.empty() && isspace((unsigned char)answer.back()))
			answer.pop_back();
		if (answer.size() > 8 && answer.compare(answer.size() - 8, 8, ".desktop") == 0 &&
		    !DesktopEntry::Find(answer).empty())
			return answer;
	}
	return "";
}
