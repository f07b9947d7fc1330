// Kalimo platform layer: Be API on Linux. MIT licence.
#include <DesktopEntry.h>

#include <Directory.h>
#include <FindDirectory.h>
#include <Path.h>
#include <RegularFile.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

const char* DesktopEntry::kSignatureKey = "X-Be-Signature";

std::string
DesktopEntry::EscapeValue(const std::string& value)
{
	std::string escaped;
	for (char c : value) {
		switch (c) {
		case '\\':
			escaped += "\\\\";
			break;
		case '\n':
			escaped += "\\n";
			break;
		case '\t':
			escaped += "\\t";
			break;
		case '\r':
			escaped += "\\r";
			break;
		default:
			escaped += c;
		}
	}
	return escaped;
}

std::string
DesktopEntry::QuoteExecArgument(const std::string& argument)
{
	// The reserved characters of the desktop entry format's "Exec" key.
	static const char kReserved[] = " \t\n\r\"'\\><~|&;$*?#()`";
	const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
	std::string result;
	if (quote)
		result += '"';
	for (char c : argument) {
		if (c == '%')
			result += "%%";
		else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
			result += std::string("\\") + c;
		else
			result += c;
	}
	if (quote)
		result += '"';
	return result;
}

static std::string
unescape_value(const std::string& value)
{
	std::string result;
	for (size_t i = 0; i < value.size(); i++) {
		if (value[i] != '\\' || i + 1 == value.size()) {
			result += value[i];
			continue;
		}
		switch (value[++i]) {
		case 's':
			result += ' ';
			break;
		case 'n':
			result += '\n';
			break;
		case 't':
			result += '\t';
			break;
		case 'r':
			result += '\r';
			break;
		case '\\':
			result += '\\';
			break;
		// Other escapes belong to the value's own syntax (Exec quoting, lists).
		default:
			result += '\\';
			result += value[i];
		}
	}
	return result;
}

DesktopEntry::Keys
DesktopEntry::Read(const std::string& path)
{
	Keys keys;
	if (!IsRegularFile(path))
		return keys;
	std::ifstream in(path);
	std::string line;
	bool inGroup = false;
	while (std::getline(in, line)) {
		if (!line.empty() && line.back() == '\r')
			line.pop_back();
		if (line.empty() || line[0] == '#')
			continue;
		if (line[0] == '[') {
			inGroup = line == "[Desktop Entry]";
			continue;
		}
		if (!inGroup)
			continue;
		size_t equals = line.find('=');
		if (equals == std::string::npos)
			continue;
		std::string key = line.substr(0, equals);
		while (!key.empty() && key.back() == ' ')
			key.pop_back();
		if (key.empty() || key.find('[') != std::string::npos || keys.count(key) != 0)
			continue;
		size_t start = line.find_first_not_of(' ', equals + 1);
		keys[key] = unescape_value(start == std::string::npos ? "" : line.substr(start));
	}
	return keys;
}

// Splits an Exec value into words; quoting is undone, field codes are kept for the
// expansion. B_BAD_DATA for an unbalanced quote.
static status_t
split_exec(const std::string& exec, std::vector<std::string>* words)
{
	std::string word;
	bool inWord = false;
	for (size_t i = 0; i < exec.size(); i++) {
		const char c = exec[i];
		if (c == ' ' || c == '\t' || c == '\n') {
			if (inWord)
				words->push_back(word);
			word.clear();
			inWord = false;
		} else if (c == '"') {
			inWord = true;
			for (i++; i < exec.size() && exec[i] != '"'; i++) {
				if (exec[i] == '\\' && i + 1 < exec.size() &&
				    strchr("\"`$\\", exec[i + 1]) != nullptr)
					i++;
				word += exec[i];
			}
			if (i >= exec.size())
				return B_BAD_DATA;
		} else if (c == '\'') {
			// Not in the desktop entry format, but written by hand often and read by GLib.
			inWord = true;
			for (i++; i < exec.size() && exec[i] != '\''; i++)
				word += exec[i];
			if (i >= exec.size())
				return B_BAD_DATA;
		} else if (c == '\\' && i + 1 < exec.size()) {
			inWord = true;
			word += exec[++i];
		} else {
			inWord = true;
			word += c;
		}
	}
	if (inWord)
		words->push_back(word);
	return B_OK;
}

status_t
DesktopEntry::ExpandExec(const Keys& entry, const std::string& location,
                         const std::vector<std::string>& arguments, std::vector<std::string>* argv)
{
	if (argv == nullptr)
		return B_BAD_VALUE;
	argv->clear();
	auto exec = entry.find("Exec");
	if (exec == entry.end())
		return B_BAD_DATA;
	std::vector<std::string> words;
	if (split_exec(exec->second, &words) != B_OK)
		return B_BAD_DATA;

	auto value = [&entry](const char* key) {
		auto found = entry.find(key);
		return found != entry.end() ? found->second : std::string();
	};
	bool tookArguments = false;
	for (const std::string& word : words) {
		if (word == "%F" || word == "%U") {
			argv->insert(argv->end(), arguments.begin(), arguments.end());
			tookArguments = true;
			continue;
		}
		if (word == "%i") {
			if (!value("Icon").empty()) {
				argv->push_back("--icon");
				argv->push_back(value("Icon"));
			}
			continue;
		}
		std::string expanded;
		// An empty argument written as "" stays; a lone code without a value goes.
		bool keep = word.empty();
		for (size_t i = 0; i < word.size(); i++) {
			if (word[i] != '%' || i + 1 == word.size()) {
				expanded += word[i];
				keep = true;
				continue;
			}
			switch (word[++i]) {
			case '%':
				expanded += '%';
				keep = true;
				break;
			case 'f':
			case 'u':
			case 'F':
			case 'U':
				if (!arguments.empty()) {
					expanded += arguments[0];
					keep = true;
				}
				tookArguments = true;
				break;
			case 'c':
				expanded += value("Name");
				keep = true;
				break;
			case 'k':
				expanded += location;
				keep = true;
				break;
			default:
				break;
			}
		}
		if (keep)
			argv->push_back(expanded);
	}
	if (!tookArguments)
		argv->insert(argv->end(), arguments.begin(), arguments.end());
	if (argv->empty() || (*argv)[0].empty())
		return B_BAD_DATA;
	return B_OK;
}

std::vector<std::string>
DesktopEntry::ApplicationFolders()
{
	std::vector<std::string> folders;
	BPath home;
	if (find_directory(B_USER_DATA_DIRECTORY, &home, true) == B_OK)
		folders.push_back(std::string(home.Path()) + "/applications");
	const char* dirs = getenv("XDG_DATA_DIRS");
	std::string list = dirs != nullptr && dirs[0] != '\0' ? dirs : "/usr/local/share:/usr/share";
	std::stringstream stream(list);
	std::string folder;
	while (std::getline(stream, folder, ':')) {
		if (folder.empty() || folder[0] != '/')
			continue;
		while (folder.size() > 1 && folder.back() == '/')
			folder.pop_back();
		folders.push_back(folder + "/applications");
	}
	return folders;
}

std::string
DesktopEntry::Find(const std::string& id)
{
	if (id.empty() || id.find('/') != std::string::npos || id[0] == '.')
		return "";
	struct stat st;
	for (const std::string& folder : ApplicationFolders()) {
		std::string path = folder + "/" + id;
		if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
			return path;
	}
	return "";
}

std::string
DesktopEntry::FindBySignature(const char* signature, std::string* path)
{
	if (signature == nullptr || signature[0] == '\0')
		return "";
	for (const std::string& folder : ApplicationFolders()) {
		BDirectory directory(folder.c_str());
		if (directory.InitCheck() != B_OK)
			continue;
		BEntry entry;
		while (directory.GetNextEntry(&entry) == B_OK) {
			const std::string name = entry.Name();
			if (name.size() <= 8 || name.compare(name.size() - 8, 8, ".desktop") != 0)
				continue;
			// An id the desktop finds first elsewhere is not this file's to answer for.
			if (Find(name) != entry.Path())
				continue;
			Keys keys = Read(entry.Path());
			auto found = keys.find(kSignatureKey);
			if (found != keys.end() && strcasecmp(found->second.c_str(), signature) == 0) {
				if (path != nullptr)
					*path = entry.Path();
				return name;
			}
		}
	}
	return "";
}

status_t
DesktopEntry::WriteIfChanged(const std::string& path, const std::string& content, bool* changed)
{
	if (changed != nullptr)
		*changed = false;
	if (!IsWritablePlace(path))
		return B_BAD_TYPE;
	{
		std::ifstream in(path, std::ios::binary);
		if (in) {
			std::stringstream old;
			old << in.rdbuf();
			if (old.str() == content)
				return B_OK;
		}
	}
	const std::string folder = path.substr(0, path.rfind('/'));
	status_t status = create_directory(folder.c_str(), 0755);
	if (status != B_OK)
		return status;
	std::string temporary = path + ".XXXXXX";
	int fd = mkostemp(temporary.data(), O_CLOEXEC);
	if (fd < 0)
		return status_from_errno(errno);
	const char* data = content.data();
	size_t left = content.size();
	while (left > 0) {
		ssize_t written = write(fd, data, left);
		if (written < 0 && errno == EINTR)
			continue;
		if (written <= 0) {
			status = status_from_errno(written < 0 ? errno : ENOSPC);
			close(fd);
			unlink(temporary.c_str());
			return status;
		}
		data += written;
		left -= (size_t)written;
	}
	fchmod(fd, 0644);
	if (close(fd) != 0 || rename(temporary.c_str(), path.c_str()) != 0) {
		status = status_from_errno(errno);
		unlink(temporary.c_str());
		return status;
	}
	if (changed != nullptr)
		*changed = true;
	return B_OK;
}
