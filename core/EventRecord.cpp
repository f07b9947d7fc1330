// Kalimo core library. MIT licence.
#include "EventRecord.h"

#include "DateFormatGuard.h"
#include "EventAttributes.h"
#include "Rules.h"
#include "TimeAttr.h"

#include <NodeInfo.h>
#include <TypeConstants.h>

#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

namespace
{

// Why a moment cannot be stored, or null when it can.
const char*
unstorable_reason(time_t moment)
{
	if (IsStorableTime(moment))
		return nullptr;
	return moment > 0 ? "dates after 2038-01-19 cannot be stored"
	                  : "dates before 1901-12-13 cannot be stored";
}

void
read_text(const BNode* node, const char* name, BString* text)
{
	if (node->ReadAttrString(name, text) != B_OK)
		text->Truncate(0);
}

void
read_time(const BNode* node, const char* name, time_t* value, bool* has)
{
	*has = ReadTimeAttr(node, name, value) == B_OK;
	if (!*has)
		*value = 0;
}

} // namespace

bool
EventRecord::IsRuleEvent() const
{
	return alarm == A_times[11];
}

status_t
EventRecord::Load(const BNode* node)
{
	if (node == nullptr)
		return B_BAD_VALUE;
	if (node->InitCheck() != B_OK)
		return node->InitCheck();
	read_text(node, kAttrSummary, &summary);
	read_text(node, kAttrDescription, &description);
	read_text(node, kAttrLocation, &location);
	read_text(node, kAttrCategorie, &categorie);
	read_text(node, kAttrGroup, &group);
	read_text(node, kAttrAlarm, &alarm);
	read_text(node, kAttrExRule, &rule);
	read_text(node, kAttrWarn, &warn);
	read_text(node, kAttrExtd, &extd);
	read_time(node, kAttrStart, &start, &hasStart);
	read_time(node, kAttrEnd, &end, &hasEnd);
	read_time(node, kAttrNextA, &nextAlarm, &hasNextAlarm);
	return B_OK;
}

status_t
EventRecord::Save(BNode* node, BString* problem)
{
	BString ignored;
	if (problem == nullptr)
		problem = &ignored;
	if (node == nullptr)
		return B_BAD_VALUE;
	if (node->InitCheck() != B_OK) {
		*problem = "there is no file to save into";
		return node->InitCheck();
	}

	const bool ruleEvent = IsRuleEvent();
	int32 next = 0;
	if (ruleEvent) {
		printf(" save next valid Alert..\n");
		// Rules are read in the canonical order, whatever the user reads.
		DateFormatGuard canonical(0);
		std::vector<char> text(rule.String(), rule.String() + rule.Length() + 1);
		next = *GetNextRuleAlert(text.data());
	}
	// Refused before anything is written, so that the file keeps its old dates
	// rather than a mixture.
	const struct {
		const char* field;
		bool has;
		time_t moment;
	} kMoments[] = {{"start", hasStart, start}, {"end", hasEnd, end}, {"next alarm", true, next}};
	for (const auto& moment : kMoments) {
		const char* reason = moment.has ? unstorable_reason(moment.moment) : nullptr;
		if (reason != nullptr) {
			*problem << moment.field << ": " << reason;
			return B_RESULT_NOT_REPRESENTABLE;
		}
	}

	status_t status = B_OK;
	auto failed = [&](const char* field, status_t result) {
		if (result >= B_OK || status != B_OK)
			return;
		status = result;
		*problem << field << ": " << strerror_be(result);
	};
	auto write = [&](const char* field, const char* name, const BString& text) {
		const ssize_t written =
		    node->WriteAttr(name, B_STRING_TYPE, 0, text.String(), (size_t)text.Length() + 1);
		failed(field, written < 0 ? (status_t)written : B_OK);
	};
	auto remove = [&](const char* field, const char* name) {
		const status_t result = node->RemoveAttr(name);
		failed(field, result == B_ENTRY_NOT_FOUND ? B_OK : result);
	};
	auto write_time = [&](const char* field, const char* name, bool has, time_t value) {
		if (has)
			failed(field, WriteTimeAttr(node, name, value));
		else
			remove(field, name);
	};

	// A snooze puts off the alarm as it was: another start or alarm ends it. Start
	// fields show minutes only, so only another minute is another start.
	time_t storedStart = 0;
	BString storedAlarm;
	ReadTimeAttr(node, kAttrStart, &storedStart);
	node->ReadAttrString(kAttrAlarm, &storedAlarm);
	if (storedStart / 60 != start / 60 || storedAlarm != alarm)
		remove("snooze", kAttrSnooze);

	write("summary", kAttrSummary, summary);
	write("description", kAttrDescription, description);
	write("location", kAttrLocation, location);
	write("category", kAttrCategorie, categorie);
	write("group", kAttrGroup, group);
	write("alarm", kAttrAlarm, alarm);
	extd = ExtendedFlags(description.String());
	write("links", kAttrExtd, extd);

	if (ruleEvent) {
		write("rule", kAttrExRule, rule);
		warn = "wait";
		write("alarm state", kAttrWarn, warn);
	} else
		remove("rule", kAttrExRule);

	write_time("start", kAttrStart, hasStart, start);
	write_time("end", kAttrEnd, hasEnd, end);
	hasNextAlarm = ruleEvent;
	nextAlarm = next;
	write_time("next alarm", kAttrNextA, ruleEvent, next);
	return status;
}

bool
EventRecord::HasWebAddress(const char* description)
{
	return description != nullptr &&
	       (strstr(description, "http:") != nullptr || strstr(description, "https:") != nullptr);
}

BString
EventRecord::ExtendedFlags(const char* description)
{
	BString flags("-u-m--");
	if (HasWebAddress(description))
		flags.SetByteAt(1, 'U');
	if (description != nullptr && strstr(description, "ATTENDEE") != nullptr)
		flags.SetByteAt(3, 'M');
	return flags;
}

bool
EventRecord::IsEventFile(BNode* node)
{
	if (node == nullptr || node->InitCheck() != B_OK)
		return false;
	char type[B_MIME_TYPE_LENGTH] = {};
	return BNodeInfo(node).GetType(type) == B_OK && strcasecmp(type, kEventMimeType) == 0;
}

bool
EventRecord::IsSavedWhole(const BNode* node)
{
	if (node == nullptr || node->InitCheck() != B_OK)
		return false;
	// Read, not only looked up: a value kept in the index's database must be there.
	BString text;
	for (const char* name :
	     {kAttrSummary, kAttrDescription, kAttrLocation, kAttrCategorie, kAttrGroup, kAttrExtd}) {
		if (node->ReadAttrString(name, &text) != B_OK)
			return false;
	}
	BString alarm;
	time_t moment;
	if (node->ReadAttrString(kAttrAlarm, &alarm) != B_OK ||
	    ReadTimeAttr(node, kAttrStart, &moment) != B_OK ||
	    ReadTimeAttr(node, kAttrEnd, &moment) != B_OK)
		return false;
	if (alarm != A_times[11])
		return true;
	return node->ReadAttrString(kAttrExRule, &text) == B_OK &&
	       node->ReadAttrString(kAttrWarn, &text) == B_OK &&
	       ReadTimeAttr(node, kAttrNextA, &moment) == B_OK;
}
