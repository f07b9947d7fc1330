// Kalimo platform layer: Be API on Linux. MIT licence.
#include <QueryPredicate.h>

#include <TypeConstants.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{

typedef QueryPredicate::Node Node;

// A recursive-descent parser; nesting is bounded so a hostile text cannot exhaust
// the stack.
class Parser
{
public:
	explicit Parser(const char* text) : fText(text) {}

	std::unique_ptr<Node> Parse(std::string* error)
	{
		std::unique_ptr<Node> root = _Or(0);
		_SkipBlanks();
		if (root != nullptr && fText[fAt] != '\0')
			_Fail("unexpected text at position " + std::to_string(fAt));
		if (!fError.empty()) {
			*error = fError;
			return nullptr;
		}
		return root;
	}

private:
	static const int kMaxDepth = 200;

	void _SkipBlanks()
	{
		while (fText[fAt] == ' ' || fText[fAt] == '\t' || fText[fAt] == '\n' || fText[fAt] == '\r')
			fAt++;
	}

	bool _Take(const char* token)
	{
		_SkipBlanks();
		const size_t length = strlen(token);
		if (strncmp(fText + fAt, token, length) != 0)
			return false;
		fAt += length;
		return true;
	}

	std::unique_ptr<Node> _Fail(const std::string& reason)
	{
		if (fError.empty())
			fError = reason;
		return nullptr;
	}

	std::unique_ptr<Node> _Join(Node::Kind kind, std::unique_ptr<Node> left,
	                            std::unique_ptr<Node> right)
	{
		auto node = std::make_unique<Node>();
		node->kind = kind;
		node->left = std::move(left);
		node->right = std::move(right);
		return node;
	}

	std::unique_ptr<Node> _Or(int depth)
	{
		std::unique_ptr<Node> left = _And(depth);
		while (left != nullptr && _Take("||")) {
			std::unique_ptr<Node> right = _And(depth);
			if (right == nullptr)
				return _Fail("missing term after ||");
			left = _Join(Node::kOr, std::move(left), std::move(right));
		}
		return left;
	}

	std::unique_ptr<Node> _And(int depth)
	{
		std::unique_ptr<Node> left = _Unary(depth);
		while (left != nullptr && _Take("&&")) {
			std::unique_ptr<Node> right = _Unary(depth);
			if (right == nullptr)
				return _Fail("missing term after &&");
			left = _Join(Node::kAnd, std::move(left), std::move(right));
		}
		return left;
	}

	std::unique_ptr<Node> _Unary(int depth)
	{
		if (depth > kMaxDepth)
			return _Fail("nested too deeply");
		_SkipBlanks();
		if (fText[fAt] == '!' && fText[fAt + 1] != '=') {
			fAt++;
			std::unique_ptr<Node> inner = _Unary(depth + 1);
			if (inner == nullptr)
				return _Fail("missing term after !");
			return _Join(Node::kNot, std::move(inner), nullptr);
		}
		if (_Take("(")) {
			std::unique_ptr<Node> inner = _Or(depth + 1);
			if (inner == nullptr)
				return _Fail("empty parentheses");
			if (!_Take(")"))
				return _Fail("missing )");
			return inner;
		}
		return _Compare();
	}

	static bool _IsNameChar(char c)
	{
		return c != '\0' && strchr("=!<>()&|'\" \t\r\n", c) == nullptr;
	}

	std::unique_ptr<Node> _Compare()
	{
		_SkipBlanks();
		auto node = std::make_unique<Node>();
		node->kind = Node::kCompare;
		while (_IsNameChar(fText[fAt]))
			node->attribute += fText[fAt++];
		if (node->attribute.empty())
			return _Fail("missing attribute name at position " + std::to_string(fAt));

		if (_Take("=="))
			node->op = QueryPredicate::kEqual;
		else if (_Take("!="))
			node->op = QueryPredicate::kNotEqual;
		else if (_Take("<="))
			node->op = QueryPredicate::kLessEqual;
		else if (_Take(">="))
			node->op = QueryPredicate::kGreaterEqual;
		else if (_Take("<"))
			node->op = QueryPredicate::kLess;
		else if (_Take(">"))
			node->op = QueryPredicate::kGreater;
		else if (_Take("="))
			node->op = QueryPredicate::kEqual;
		else
			return _Fail("missing operator after " + node->attribute);

		_SkipBlanks();
		const char quote = fText[fAt];
		if (quote == '\'' || quote == '"') {
			fAt++;
			node->quoted = true;
			while (fText[fAt] != quote) {
				if (fText[fAt] == '\0')
					return _Fail("unterminated quoted value");
				if (fText[fAt] == '\\' && fText[fAt + 1] != '\0')
					node->value += fText[fAt++];
				node->value += fText[fAt++];
			}
			fAt++;
		} else {
			while (_IsNameChar(fText[fAt]) || fText[fAt] == '!' || fText[fAt] == '=')
				node->value += fText[fAt++];
			if (node->value.empty())
				return _Fail("missing value for " + node->attribute);
			if (node->value == "*" && node->op == QueryPredicate::kEqual)
				node->op = QueryPredicate::kPresent;
		}
		node->plain = node->value.find_first_of("*?[\\") == std::string::npos;
		return node;
	}

	const char* fText;
	size_t fAt = 0;
	std::string fError;
};

bool
is_string_type(type_code type)
{
	return type == B_STRING_TYPE || type == B_MIME_STRING_TYPE || type == B_MIME_TYPE;
}

// Numbers of the attribute's type, or nothing for a type that is not numeric.
std::optional<double>
number_of(const QueryPredicate::Value& value)
{
	auto read = [&value](auto sample) -> std::optional<double> {
		if (value.size != sizeof(sample))
			return std::nullopt;
		memcpy(&sample, value.data, sizeof(sample));
		return (double)sample;
	};
	switch (value.type) {
	case B_INT32_TYPE:
	case B_TIME_TYPE:
		return read(int32());
	case B_UINT32_TYPE:
		return read(uint32());
	case B_INT64_TYPE:
	case B_SSIZE_T_TYPE:
		return read(int64());
	case B_UINT64_TYPE:
	case B_SIZE_T_TYPE:
		return read(uint64());
	case B_INT16_TYPE:
		return read(int16());
	case B_INT8_TYPE:
		return read(int8());
	case B_UINT8_TYPE:
	case B_BOOL_TYPE:
		return read(uint8());
	case B_FLOAT_TYPE:
		return read(float());
	case B_DOUBLE_TYPE:
		return read(double());
	default:
		return std::nullopt;
	}
}

std::string
unescaped(const std::string& value)
{
	std::string plain;
	for (size_t i = 0; i < value.size(); i++) {
		if (value[i] == '\\' && i + 1 < value.size())
			i++;
		plain += value[i];
	}
	return plain;
}

template <typename T>
bool
ordered(QueryPredicate::Op op, const T& a, const T& b)
{
	switch (op) {
	case QueryPredicate::kLess:
		return a < b;
	case QueryPredicate::kGreater:
		return a > b;
	case QueryPredicate::kLessEqual:
		return a <= b;
	case QueryPredicate::kGreaterEqual:
		return a >= b;
	default:
		return false;
	}
}

bool
compare(const Node& node, const QueryPredicate::Value& value)
{
	if (node.op == QueryPredicate::kPresent)
		return true;
	if (is_string_type(value.type) || value.type == B_RAW_TYPE) {
		const char* bytes = (const char*)value.data;
		const size_t length = strnlen(bytes, value.size);
		if (node.op != QueryPredicate::kEqual && node.op != QueryPredicate::kNotEqual)
			return ordered(node.op, std::string(bytes, length), unescaped(node.value));
		const bool equal =
		    node.plain
		        ? length == node.value.size() && memcmp(bytes, node.value.data(), length) == 0
		        : QueryPredicate::GlobMatch(node.value.c_str(), bytes, length);
		return equal == (node.op == QueryPredicate::kEqual);
	}
	std::optional<double> number = number_of(value);
	if (!number)
		return false;
	const std::string text = unescaped(node.value);
	char* end = nullptr;
	const double wanted = strtod(text.c_str(), &end);
	if (end == text.c_str())
		return node.op == QueryPredicate::kNotEqual;
	switch (node.op) {
	case QueryPredicate::kEqual:
		return *number == wanted;
	case QueryPredicate::kNotEqual:
		return *number != wanted;
	default:
		return ordered(node.op, *number, wanted);
	}
}

bool
evaluate(const Node& node, const QueryPredicate::Lookup& lookup)
{
	switch (node.kind) {
	case Node::kAnd:
		return evaluate(*node.left, lookup) && evaluate(*node.right, lookup);
	case Node::kOr:
		return evaluate(*node.left, lookup) || evaluate(*node.right, lookup);
	case Node::kNot:
		return !evaluate(*node.left, lookup);
	case Node::kCompare: {
		std::optional<QueryPredicate::Value> value = lookup(node.attribute);
		// A file without the attribute matches no comparison of it, "!=" included.
		return value.has_value() && compare(node, *value);
	}
	}
	return false;
}

void
collect(const Node& node, std::set<std::string>* names)
{
	if (node.kind == Node::kCompare)
		names->insert(node.attribute);
	if (node.left != nullptr)
		collect(*node.left, names);
	if (node.right != nullptr)
		collect(*node.right, names);
}

typedef std::vector<std::set<std::string>> Clauses;

std::optional<Clauses>
candidates(const Node& node, const std::set<std::string>& indexed)
{
	switch (node.kind) {
	case Node::kCompare:
		if (indexed.count(node.attribute) == 0)
			return std::nullopt;
		return Clauses{{node.attribute}};
	case Node::kNot:
		return std::nullopt;
	case Node::kAnd: {
		std::optional<Clauses> left = candidates(*node.left, indexed);
		std::optional<Clauses> right = candidates(*node.right, indexed);
		if (!left)
			return right;
		if (!right)
			return left;
		left->insert(left->end(), right->begin(), right->end());
		return left;
	}
	case Node::kOr: {
		std::optional<Clauses> left = candidates(*node.left, indexed);
		std::optional<Clauses> right = candidates(*node.right, indexed);
		if (!left || !right)
			return std::nullopt;
		// (a1 && a2) || (b1 && b2) is narrowed by the weaker (a1 || b1).
		std::set<std::string> either = left->front();
		either.insert(right->front().begin(), right->front().end());
		return Clauses{either};
	}
	}
	return std::nullopt;
}

} // namespace

status_t
QueryPredicate::SetTo(const char* text)
{
	fRoot.reset();
	fError.clear();
	if (text == nullptr || text[0] == '\0') {
		fError = "empty predicate";
		return B_BAD_VALUE;
	}
	fRoot = Parser(text).Parse(&fError);
	return fRoot != nullptr ? B_OK : B_BAD_VALUE;
}

bool
QueryPredicate::Matches(const Lookup& lookup) const
{
	return fRoot != nullptr && evaluate(*fRoot, lookup);
}

std::set<std::string>
QueryPredicate::Attributes() const
{
	std::set<std::string> names;
	if (fRoot != nullptr)
		collect(*fRoot, &names);
	return names;
}

std::optional<std::vector<std::set<std::string>>>
QueryPredicate::Candidates(const std::set<std::string>& indexed) const
{
	if (fRoot == nullptr)
		return std::nullopt;
	return candidates(*fRoot, indexed);
}

bool
QueryPredicate::GlobMatch(const char* pattern, const char* text, size_t length)
{
	const char* end = text + strnlen(text, length);
	// Iterative, with one backtrack point for the last "*": linear in practice and
	// never recursive, whatever the pattern.
	const char* starPattern = nullptr;
	const char* starText = nullptr;
	while (text != end) {
		bool advanced = false;
		if (*pattern == '*') {
			starPattern = ++pattern;
			starText = text;
			continue;
		}
		if (*pattern == '?') {
			pattern++;
			advanced = true;
		} else if (*pattern == '[') {
			const char* at = pattern + 1;
			bool negate = *at == '^' || *at == '!';
			if (negate)
				at++;
			bool found = false;
			bool closed = false;
			for (bool first = true; *at != '\0'; first = false) {
				if (*at == ']' && !first) {
					closed = true;
					break;
				}
				char low = *at == '\\' && at[1] != '\0' ? *++at : *at;
				char high = low;
				if (at[1] == '-' && at[2] != ']' && at[2] != '\0') {
					at += 2;
					high = *at == '\\' && at[1] != '\0' ? *++at : *at;
				}
				if ((unsigned char)*text >= (unsigned char)low &&
				    (unsigned char)*text <= (unsigned char)high)
					found = true;
				at++;
			}
			if (closed && found != negate) {
				pattern = at + 1;
				advanced = true;
			} else if (!closed && *text == '[') {
				// An unclosed bracket is a plain character.
				pattern++;
				advanced = true;
			}
		} else {
			const char literal = *pattern == '\\' && pattern[1] != '\0' ? pattern[1] : *pattern;
			if (*pattern != '\0' && literal == *text) {
				pattern += *pattern == '\\' && pattern[1] != '\0' ? 2 : 1;
				advanced = true;
			}
		}
		if (advanced) {
			text++;
			continue;
		}
		if (starPattern == nullptr)
			return false;
		pattern = starPattern;
		text = ++starText;
	}
	while (*pattern == '*')
		pattern++;
	return *pattern == '\0';
}
