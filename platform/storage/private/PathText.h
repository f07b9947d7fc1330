// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef PATH_TEXT_H
#define PATH_TEXT_H

#include <string>

// Taking an absolute, normalised path apart as text.
namespace PathText
{

// "/a/b" gives "/a", "/a" gives "/", "/" gives "/".
inline std::string
Parent(const std::string& path)
{
	const size_t slash = path.rfind('/');
	return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// "/a/b" gives "b"; "/" gives "/".
inline const char*
Leaf(const std::string& path)
{
	return path == "/" ? path.c_str() : path.c_str() + path.rfind('/') + 1;
}

} // namespace PathText

#endif // PATH_TEXT_H
