// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef QUERY_PREDICATE_H
#define QUERY_PREDICATE_H

#include <SupportDefs.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// A parsed Be query predicate: comparisons of attributes with values ("attr==value",
// "=", "!=", "<", ">", "<=", ">=", "attr=*" for presence), joined by "&&", "||", "!"
// and parentheses. Quoted values may hold glob patterns (*, ?, [...]); a backslash
// takes the next character literally. Matching is case-sensitive, as on BeOS.
class QueryPredicate
{
public:
	// An attribute's value as stored: its type code and bytes, which the lookup
	// keeps alive until it is asked again.
	struct Value {
		type_code type;
		const uint8* data;
		size_t size;
	};
	// Gives the value of the named attribute of the file at hand, or nothing.
	typedef std::function<std::optional<Value>(const std::string& name)> Lookup;

	// B_OK, or B_BAD_VALUE with a reason in Error() when the text does not parse.
	status_t SetTo(const char* text);
	const std::string& Error() const { return fError; }

	bool Matches(const Lookup& lookup) const;
	// Every attribute the predicate names.
	std::set<std::string> Attributes() const;

	// Which files can match, in terms of attribute presence: the sets of attribute
	// names of which a file must have at least one from each set (a conjunction of
	// disjunctions). Nothing when the predicate cannot be narrowed that way (a
	// negation or a comparison of a name not in indexed at the top).
	std::optional<std::vector<std::set<std::string>>>
	Candidates(const std::set<std::string>& indexed) const;

	// Matches text, up to length bytes or its first NUL, against a Be glob pattern.
	static bool GlobMatch(const char* pattern, const char* text, size_t length = SIZE_MAX);

	enum Op { kEqual, kNotEqual, kLess, kGreater, kLessEqual, kGreaterEqual, kPresent };
	struct Node {
		enum Kind { kCompare, kAnd, kOr, kNot } kind;
		Op op = kEqual;
		std::string attribute;
		std::string value; // as written, escapes kept for glob matching
		bool quoted = false;
		bool plain = false; // a value without glob characters matches only itself
		std::unique_ptr<Node> left;
		std::unique_ptr<Node> right;
	};

private:
	std::unique_ptr<Node> fRoot;
	std::string fError;
};

#endif // QUERY_PREDICATE_H
