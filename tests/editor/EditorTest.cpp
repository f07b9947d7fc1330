// Kalimo tests. MIT licence.
#include "EditorTest.h"

#include "TestHome.h"

#include <TEventApp.h>
#include <TEventView.h>
#include <TEventWindow.h>

#include <EventAttributes.h>
#include <Node.h>
#include <NodeInfo.h>
#include <TimeAttr.h>
#include <Window.h>

#include <QCoreApplication>

namespace EditorTest
{

entry_ref
MakeEvent(const std::string& name, const std::map<std::string, std::string>& texts, time_t start)
{
	const std::string path = TestHome::MakeFile("events/" + name);
	BNode node(path.c_str());
	for (const auto& [attribute, text] : texts) {
		BString value(text.c_str());
		node.WriteAttrString(attribute.c_str(), &value);
	}
	if (start != 0)
		WriteTimeAttr(&node, kAttrStart, start);
	BNodeInfo(&node).SetType(kEventMimeType);
	entry_ref ref;
	BEntry(path.c_str()).GetRef(&ref);
	return ref;
}

std::string
TextAttr(const entry_ref& ref, const char* name)
{
	BNode node(&ref);
	BString text;
	if (node.ReadAttrString(name, &text) != B_OK)
		return "<none>";
	return text.String();
}

bool
HasAttr(const entry_ref& ref, const char* name)
{
	attr_info info;
	return BNode(&ref).GetAttrInfo(name, &info) == B_OK;
}

time_t
TimeAttr(const entry_ref& ref, const char* name)
{
	BNode node(&ref);
	time_t value;
	return ReadTimeAttr(&node, name, &value) == B_OK ? value : -1;
}

} // namespace EditorTest

void
EventViewTest::SetUp()
{
	AppTest::SetUp();
	fWindow = new BWindow(BRect(100, 100, 670, 376), "events", B_TITLED_WINDOW, 0);
}

TEventView*
EventViewTest::Open(entry_ref* ref)
{
	if (ref != nullptr)
		fRef = *ref;
	TEventView* view =
	    new TEventView(fWindow->Bounds(), "EventView", ref != nullptr ? &fRef : nullptr);
	fWindow->AddChild(view);
	fWindow->Show();
	return view;
}

void
EditorAppTest::TearDown()
{
	Quit();
}

TEventApp*
EditorAppTest::Start()
{
	Quit();
	fApp = new TEventApp;
	return fApp;
}

void
EditorAppTest::Quit()
{
	delete fApp;
	fApp = nullptr;
	QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
	QCoreApplication::processEvents();
}

int32
EditorAppTest::CountEventWindows() const
{
	int32 count = 0;
	for (int32 i = 0; i < fApp->CountWindows(); i++) {
		if (dynamic_cast<TEventWindow*>(fApp->WindowAt(i)) != nullptr)
			count++;
	}
	return count;
}

TEventWindow*
EditorAppTest::FirstWindow() const
{
	for (int32 i = 0; i < fApp->CountWindows(); i++) {
		if (TEventWindow* window = dynamic_cast<TEventWindow*>(fApp->WindowAt(i)))
			return window;
	}
	return nullptr;
}
