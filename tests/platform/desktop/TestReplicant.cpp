// Kalimo tests. MIT licence.
#include "TestReplicant.h"

#include <Message.h>

#include <fstream>

const char* TestReplicant::kSignature = "application/x-vnd.kalimo-test-replicant";
const char* TestReplicant::kItemClass = "Ticker";

TestReplicant::TestReplicant(const char* name, const std::string& record)
    : BView(BRect(0, 0, 15, 14), name, B_FOLLOW_NONE, B_WILL_DRAW | B_PULSE_NEEDED), fRecord(record)
{
}

TestReplicant::TestReplicant(BMessage* archive) : BView(archive)
{
	const char* record = nullptr;
	if (archive->FindString("record", &record) == B_OK)
		fRecord = record;
	_Record("made");
}

status_t
TestReplicant::Archive(BMessage* into, bool deep) const
{
	status_t status = BView::Archive(into, deep);
	if (status == B_OK)
		status = into->AddString("class", kItemClass);
	if (status == B_OK)
		status = into->AddString("add_on", kSignature);
	if (status == B_OK)
		status = into->AddString("record", fRecord.c_str());
	return status;
}

BArchivable*
TestReplicant::Instantiate(BMessage* archive)
{
	if (!validate_instantiation(archive, kItemClass))
		return nullptr;
	return new TestReplicant(archive);
}

void
TestReplicant::Pulse()
{
	_Record("pulse");
}

void
TestReplicant::MouseDown(BPoint)
{
	uint32 buttons = 0;
	GetMouse(nullptr, &buttons);
	_Record("down " + std::to_string(buttons));
}

void
TestReplicant::_Record(const std::string& line) const
{
	if (fRecord.empty())
		return;
	std::ofstream out(fRecord, std::ios::app);
	out << line << '\n';
}

// What the Deskbar host looks for in the library.
extern "C" __attribute__((visibility("default"))) BArchivable*
instantiate_TestReplicant(BMessage* archive)
{
	return TestReplicant::Instantiate(archive);
}
