// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Notification.h>

#include <NotificationBus.h>

#include <dbus/dbus.h>

#include <cstring>

namespace
{

const char* kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// The length of the UTF-8 sequence at text (at most left bytes) and its code point;
// 0 when it is not a valid, shortest sequence of a character.
size_t
decode(const unsigned char* text, size_t left, uint32* character)
{
	const unsigned char lead = text[0];
	size_t length;
	uint32 value;
	if (lead < 0x80) {
		*character = lead;
		return 1;
	} else if (lead >= 0xC2 && lead <= 0xDF) {
		length = 2;
		value = lead & 0x1F;
	} else if (lead >= 0xE0 && lead <= 0xEF) {
		length = 3;
		value = lead & 0x0F;
	} else if (lead >= 0xF0 && lead <= 0xF4) {
		length = 4;
		value = lead & 0x07;
	} else
		return 0;
	if (length > left)
		return 0;
	for (size_t i = 1; i < length; i++) {
		if ((text[i] & 0xC0) != 0x80)
			return 0;
		value = (value << 6) | (text[i] & 0x3F);
	}
	const uint32 least[] = {0, 0, 0x80, 0x800, 0x10000};
	if (value < least[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF) ||
	    (value >= 0xFDD0 && value <= 0xFDEF) || (value & 0xFFFE) == 0xFFFE)
		return 0;
	*character = value;
	return length;
}

// The text as the bus carries it and a person reads it: valid UTF-8 (a broken sequence
// becomes U+FFFD), control characters left out (a tab is a blank; a line break stays
// where lines are allowed, else it is a blank), and where the server reads markup,
// the characters of markup written as entities.
std::string
plain_text(const char* text, bool lines, bool markup)
{
	std::string result;
	const size_t size = strlen(text);
	const unsigned char* bytes = (const unsigned char*)text;
	for (size_t at = 0; at < size;) {
		uint32 character = 0;
		const size_t length = decode(bytes + at, size - at, &character);
		if (length == 0) {
			result += kReplacement;
			at++;
			continue;
		}
		if (character == '\n')
			result += lines ? "\n" : " ";
		else if (character == '\t')
			result += " ";
		else if (character < 0x20 || (character >= 0x7F && character < 0xA0))
			;
		else if (markup && character == '&')
			result += "&amp;";
		else if (markup && character == '<')
			result += "&lt;";
		else if (markup && character == '>')
			result += "&gt;";
		else if (markup && character == '"')
			result += "&quot;";
		else if (markup && character == '\'')
			result += "&apos;";
		else
			result.append(text + at, length);
		at += length;
	}
	// libdbus ends the process on a string it does not take.
	return dbus_validate_utf8(result.c_str(), nullptr) ? result : std::string();
}

} // namespace

BNotification::BNotification(notification_type type) : fType(type) {}

void
BNotification::AddAction(const char* key, const char* label)
{
	if (key != nullptr && key[0] != '\0')
		fActions.emplace_back(key, label != nullptr ? label : "");
}

status_t
BNotification::Send(bigtime_t timeout)
{
	NotificationBus& bus = NotificationBus::Default();
	std::set<std::string> capabilities;
	status_t status = bus.Capabilities(&capabilities);
	if (status != B_OK)
		return status;
	const bool actions = capabilities.count("actions") != 0;
	if (!fActions.empty() && !actions)
		return B_NOT_SUPPORTED;

	NotificationBus::Request request;
	request.app = plain_text(fGroup.String(), false, false);
	request.icon = plain_text(fIconName.c_str(), false, false);
	request.title = plain_text(fTitle.String(), false, false);
	request.body = plain_text(fContent.String(), true, capabilities.count("body-markup") != 0);
	for (const auto& [key, label] : fActions) {
		request.actions.push_back(plain_text(key.c_str(), false, false));
		request.actions.push_back(plain_text(label.c_str(), false, false));
	}
	const bool critical = fType == B_IMPORTANT_NOTIFICATION || fType == B_ERROR_NOTIFICATION;
	request.urgency = critical ? 2 : (fType == B_PROGRESS_NOTIFICATION ? 0 : 1);
	// Kept after an action, so that the other actions stay at hand.
	request.resident = actions && !fActions.empty() && capabilities.count("persistence") != 0;
	request.timeoutMs = timeout < 0 ? -1 : (int32)(timeout / 1000);
	request.replaces = (uint32)fID;

	uint32 id = 0;
	status = bus.Notify(request, &id);
	if (status != B_OK)
		return status;
	fID = (int32)id;
	if (fTarget.IsValid())
		bus.Watch(id, fTarget);
	return B_OK;
}

status_t
BNotification::Close(int32 id)
{
	return NotificationBus::Default().Close((uint32)id);
}
