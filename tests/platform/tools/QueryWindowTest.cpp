// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"
#include "TestHome.h"
#include "UiTest.h"

#include <Entry.h>
#include <Message.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <QueryModel.h>
#include <QueryWindow.h>
#include <Tracker.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include <gtest/gtest.h>

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTest>
#include <QTreeView>

#include <unistd.h>

namespace
{

const char* kType = "text/x-test-event";
const char* kPredicate = "((EVENT:Alarm=='wait')&&(BEOS:TYPE=='text/x-test-event'))";

class QueryWindowTest : public testing::Test
{
protected:
	void SetUp() override
	{
		BVolume volume;
		ASSERT_EQ(BVolumeRoster().GetBootVolume(&volume), B_OK);
		ASSERT_EQ(fs_create_index(volume.Device(), "EVENT:Alarm", B_STRING_TYPE, 0), B_OK);

		BMessage info;
		struct {
			const char* publicName;
			const char* name;
			type_code type;
			bool viewable;
			int32 width;
			int32 alignment;
		} columns[] = {
		    {"Summary", "EVENT:Summary", B_STRING_TYPE, true, 130, 0},
		    {"Secret", "EVENT:Secret", B_STRING_TYPE, false, 60, 0},
		    {"Priority", "EVENT:Prio", B_INT32_TYPE, true, 90, 1},
		    {"Start", "EVENT:tStart", B_TIME_TYPE, true, 160, 2},
		};
		for (const auto& column : columns) {
			info.AddString("attr:public_name", column.publicName);
			info.AddString("attr:name", column.name);
			info.AddInt32("attr:type", column.type);
			info.AddBool("attr:viewable", column.viewable);
			info.AddBool("attr:editable", false);
			info.AddInt32("attr:width", column.width);
			info.AddInt32("attr:alignment", column.alignment);
			info.AddBool("attr:extra", false);
		}
		ASSERT_EQ(BMimeType(kType).SetAttrInfo(&info), B_OK);
	}

	static std::string MakeEvent(const std::string& name, const char* summary, int32 priority,
	                             int32 start, const char* alarm = "wait", const char* type = kType)
	{
		const std::string path = TestHome::MakeFile("events/" + name);
		BNode node(path.c_str());
		EXPECT_EQ(BNodeInfo(&node).SetType(type), B_OK);
		BString value(summary);
		if (summary != nullptr) {
			EXPECT_EQ(node.WriteAttrString("EVENT:Summary", &value), B_OK);
		}
		value = "hidden";
		node.WriteAttrString("EVENT:Secret", &value);
		node.WriteAttr("EVENT:Prio", B_INT32_TYPE, 0, &priority, sizeof(priority));
		node.WriteAttr("EVENT:tStart", B_TIME_TYPE, 0, &start, sizeof(start));
		value = alarm;
		EXPECT_EQ(node.WriteAttrString("EVENT:Alarm", &value), B_OK);
		return path;
	}

	static std::string MakeQuery(const std::string& name, const char* predicate,
	                             const char* attribute = "_trk/qrystr")
	{
		const std::string path = TestHome::MakeFile("queries/" + name);
		BNode node(path.c_str());
		EXPECT_EQ(BNodeInfo(&node).SetType(Tracker::kQueryMimeType), B_OK);
		if (predicate != nullptr) {
			BString value(predicate);
			EXPECT_EQ(node.WriteAttrString(attribute, &value), B_OK);
		}
		return path;
	}

	// The texts of one column, in the order the list shows them.
	static std::vector<std::string> Shown(const QueryWindow& window, int column)
	{
		std::vector<std::string> texts;
		const QAbstractItemModel* model = window.ListView()->model();
		for (int row = 0; row < model->rowCount(); row++)
			texts.push_back(model->index(row, column).data().toString().toStdString());
		return texts;
	}

	static void ClickHeader(const QueryWindow& window, int column)
	{
		QHeaderView* header = window.ListView()->header();
		const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
		                header->height() / 2);
		QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
	}

	static std::string Selected(const QueryWindow& window)
	{
		const QModelIndexList rows = window.ListView()->selectionModel()->selectedRows();
		return rows.size() == 1 ? rows[0].data(QueryModel::kPathRole).toString().toStdString()
		                        : std::string();
	}

	TimeZoneGuard fZone{"Europe/Berlin"};
};

typedef std::vector<std::string> Texts;

} // namespace

TEST_F(QueryWindowTest, ColumnsFollowTheTypesViewableAttributeDescriptions)
{
	const std::string query = MakeQuery("Ev_Aktiv", kPredicate);
	QueryWindow window(query.c_str());
	ASSERT_EQ(window.Status(), B_OK);
	EXPECT_EQ(window.windowTitle(), QStringLiteral("Ev_Aktiv"));
	const QueryModel* model = window.Model();
	EXPECT_EQ(model->TypeName(), kType);
	ASSERT_EQ(model->columnCount(), 4);
	Texts titles;
	for (int column = 0; column < 4; column++)
		titles.push_back(model->headerData(column, Qt::Horizontal).toString().toStdString());
	EXPECT_EQ(titles, (Texts{"Name", "Summary", "Priority", "Start"}));

	const QHeaderView* header = window.ListView()->header();
	EXPECT_EQ(header->sectionSize(1), 130);
	EXPECT_EQ(header->sectionSize(2), 90);
	EXPECT_EQ(model->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
	              Qt::AlignHorizontal_Mask,
	          Qt::AlignLeft);
	EXPECT_EQ(model->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
	              Qt::AlignHorizontal_Mask,
	          Qt::AlignRight);
	EXPECT_EQ(model->headerData(3, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
	              Qt::AlignHorizontal_Mask,
	          Qt::AlignHCenter);
}

TEST_F(QueryWindowTest, TypeIsTheOnePredicateNamesElseTheFirstMatches)
{
	EXPECT_EQ(QueryModel::TypeInPredicate(kPredicate), kType);
	EXPECT_EQ(QueryModel::TypeInPredicate("BEOS:TYPE = \"a/b\" && x=1"), "a/b");
	EXPECT_EQ(QueryModel::TypeInPredicate("(BEOS:TYPE==a/b)"), "a/b");
	EXPECT_EQ(QueryModel::TypeInPredicate("BEOS:TYPE!='a/b'"), "");
	EXPECT_EQ(QueryModel::TypeInPredicate("BEOS:TYPE=='text/*'"), "");
	EXPECT_EQ(QueryModel::TypeInPredicate("MYBEOS:TYPE=='a/b'"), "");
	EXPECT_EQ(QueryModel::TypeInPredicate("BEOS:TYPE=='unclosed"), "");

	// Without a type in the predicate, the columns wait for a first match.
	const std::string query = MakeQuery("Ev_Url", "EVENT:Alarm=='wait'");
	QueryWindow window(query.c_str());
	EXPECT_EQ(window.Model()->columnCount(), 1);
	EXPECT_TRUE(window.Model()->TypeName().empty());
	MakeEvent("a", "First", 1, 0);
	window.Refresh();
	EXPECT_EQ(window.Model()->TypeName(), kType);
	EXPECT_EQ(window.Model()->columnCount(), 4);
	EXPECT_EQ(Shown(window, 1), (Texts{"First"}));
	EXPECT_EQ(window.ListView()->header()->sectionSize(3), 160);
}

TEST_F(QueryWindowTest, RowsShowTheMatchingFilesAndTheirAttributes)
{
	const time_t start = LocalMoment(2024, 2, 29, 18, 30);
	const std::string a = MakeEvent("a", "Dentist", 7, (int32)start);
	MakeEvent("b", nullptr, -3, 0);
	MakeEvent("idle", "Not due", 1, 0, "idle");
	MakeEvent("other", "Other type", 1, 0, "wait", "text/plain");
	const std::string query = MakeQuery("Ev_Aktiv", kPredicate);
	QueryWindow window(query.c_str());
	ASSERT_EQ(window.Status(), B_OK);
	EXPECT_EQ(Shown(window, 0), (Texts{"a", "b"}));
	// A missing attribute shows empty; the hidden one is no column.
	EXPECT_EQ(Shown(window, 1), (Texts{"Dentist", ""}));
	EXPECT_EQ(Shown(window, 2), (Texts{"7", "-3"}));
	const std::string date =
	    QLocale::system()
	        .toString(QDateTime::fromSecsSinceEpoch(start), QLocale::ShortFormat)
	        .toStdString();
	EXPECT_NE(date.find("30"), std::string::npos);
	EXPECT_EQ(Shown(window, 3)[0], date);
	EXPECT_EQ(window.ListView()->model()->index(0, 3).data(QueryModel::kSortRole).toLongLong(),
	          (qint64)start);
	EXPECT_EQ(window.PathAtViewRow(0), a);
	EXPECT_EQ(window.Message(), QString());
	EXPECT_EQ(window.findChild<QLabel*>("queryStatus")->text(), QStringLiteral("2 files"));
}

TEST_F(QueryWindowTest, ClickingAHeaderSortsByThatColumn)
{
	MakeEvent("a", "pear", 10, 300);
	MakeEvent("b", "Apple", 9, 100);
	MakeEvent("c", "banana", 100, 200);
	const std::string query = MakeQuery("Ev_Aktiv", kPredicate);
	QueryWindow window(query.c_str());
	window.show();
	ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
	EXPECT_EQ(Shown(window, 0), (Texts{"a", "b", "c"}));

	// Numbers sort as numbers, texts without regard to case, dates by their moment.
	ClickHeader(window, 2);
	EXPECT_EQ(Shown(window, 0), (Texts{"b", "a", "c"}));
	ClickHeader(window, 2);
	EXPECT_EQ(Shown(window, 0), (Texts{"c", "a", "b"}));
	ClickHeader(window, 1);
	EXPECT_EQ(Shown(window, 1), (Texts{"Apple", "banana", "pear"}));
	ClickHeader(window, 3);
	EXPECT_EQ(Shown(window, 0), (Texts{"b", "c", "a"}));
}

TEST_F(QueryWindowTest, FollowsFilesThatStartOrStopMatching)
{
	MakeEvent("a", "pear", 1, 0);
	const std::string b = MakeEvent("b", "apple", 2, 0);
	const std::string c = MakeEvent("c", "melon", 3, 0);
	const std::string query = MakeQuery("Ev_Aktiv", kPredicate);
	QueryWindow window(query.c_str());
	window.show();
	ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
	ClickHeader(window, 1);
	ASSERT_EQ(Shown(window, 1), (Texts{"apple", "melon", "pear"}));
	QTreeView* list = window.ListView();
	list->setCurrentIndex(list->model()->index(1, 0));
	ASSERT_EQ(Selected(window), c);

	// Written through the layer: the index database changes.
	const std::string d = MakeEvent("d", "banana", 4, 0);
	ASSERT_TRUE(UiTest::WaitUntil([&]() { return window.Model()->rowCount() == 4; }));
	EXPECT_EQ(Shown(window, 1), (Texts{"apple", "banana", "melon", "pear"}));
	EXPECT_EQ(Selected(window), c);
	EXPECT_EQ(window.findChild<QLabel*>("queryStatus")->text(), QStringLiteral("4 files"));

	// A value that changes shows, and keeps the sort.
	BNode node(b.c_str());
	BString value("zucchini");
	node.WriteAttrString("EVENT:Summary", &value);
	ASSERT_TRUE(UiTest::WaitUntil([&]() { return Shown(window, 1).back() == "zucchini"; }));
	EXPECT_EQ(Selected(window), c);

	// No longer matching, removed through the layer, removed behind its back.
	value = "idle";
	node.WriteAttrString("EVENT:Alarm", &value);
	ASSERT_TRUE(UiTest::WaitUntil([&]() { return window.Model()->rowCount() == 3; }));
	ASSERT_EQ(BEntry(d.c_str()).Remove(), B_OK);
	ASSERT_TRUE(UiTest::WaitUntil([&]() { return window.Model()->rowCount() == 2; }));
	EXPECT_EQ(Selected(window), c);
	ASSERT_EQ(unlink(c.c_str()), 0);
	ASSERT_TRUE(UiTest::WaitUntil([&]() { return window.Model()->rowCount() == 1; }, 2000));
	EXPECT_EQ(Shown(window, 0), (Texts{"a"}));
	EXPECT_EQ(Selected(window), "");
}

TEST_F(QueryWindowTest, SaysWhatIsWrongWithTheQueryFile)
{
	{
		QueryWindow window((TestHome::Path() + "/queries/gone").c_str());
		EXPECT_EQ(window.InitCheck(), B_ENTRY_NOT_FOUND);
		EXPECT_TRUE(window.Message().contains("does not exist"));
		EXPECT_EQ(window.windowTitle(), QStringLiteral("gone"));
		EXPECT_TRUE(window.ListView()->isHidden());
		EXPECT_EQ(window.findChild<QLabel*>("queryMessage")->text(), window.Message());
	}
	{
		QueryWindow window(MakeQuery("empty", nullptr).c_str());
		EXPECT_EQ(window.InitCheck(), B_BAD_VALUE);
		EXPECT_TRUE(window.Message().contains("holds no query"));
	}
	{
		MakeEvent("a", "pear", 1, 0);
		QueryWindow window(MakeQuery("initial", kPredicate, "_trk/qryinitstr").c_str());
		EXPECT_EQ(window.InitCheck(), B_OK);
		EXPECT_EQ(window.Predicate(), kPredicate);
		EXPECT_EQ(window.Model()->rowCount(), 1);
	}
	{
		QueryWindow window(MakeQuery("broken", "((EVENT:Alarm=='wait')&&").c_str());
		EXPECT_EQ(window.InitCheck(), B_OK);
		EXPECT_EQ(window.Status(), B_BAD_VALUE);
		EXPECT_TRUE(window.Message().contains("does not parse"));
		EXPECT_EQ(window.Model()->rowCount(), 0);
		EXPECT_TRUE(window.ListView()->isHidden());
		window.Refresh();
		EXPECT_EQ(window.Status(), B_BAD_VALUE);
	}
	{
		QueryWindow window(MakeQuery("unindexed", "EVENT:Nowhere=='x'").c_str());
		EXPECT_EQ(window.Status(), B_BAD_VALUE);
	}
}

TEST_F(QueryWindowTest, OpensTheActivatedFileThroughTheTracker)
{
	const std::string a = MakeEvent("a", "pear", 1, 0);
	const std::string b = MakeEvent("b", "apple", 2, 0);
	const std::string query = MakeQuery("Ev_Aktiv", kPredicate);
	QueryWindow window(query.c_str());
	window.show();
	ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
	QTreeView* list = window.ListView();

	RecordGuard record;
	list->setFocus();
	list->setCurrentIndex(list->model()->index(1, 0));
	QTest::keyClick(list, Qt::Key_Return);
	auto launches = record.Launches();
	ASSERT_EQ(launches.size(), 1u);
	EXPECT_EQ(launches[0].back(), b);

	const QRect row = list->visualRect(list->model()->index(0, 1));
	// A widget's double click in QTest is the second click only; the first comes before.
	QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
	EXPECT_EQ(record.Launches().size(), 1u);
	QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
	launches = record.Launches();
	ASSERT_EQ(launches.size(), 2u);
	EXPECT_EQ(launches[1].back(), a);
}

TEST_F(QueryWindowTest, TrackerOpensAQueryFileInTheQueryWindow)
{
	const std::string query = MakeQuery("it's; $(a query)", kPredicate);
	RecordGuard record;
	ASSERT_EQ(Tracker::Open(query.c_str()), B_OK);
	const auto launches = record.Launches();
	ASSERT_EQ(launches.size(), 1u);
	ASSERT_EQ(launches[0].size(), 2u);
	const std::string& program = launches[0][0];
	EXPECT_EQ(program.substr(program.rfind('/') + 1), "be-query-window");
	EXPECT_EQ(launches[0][1], query);
}

TEST_F(QueryWindowTest, WindowFrameComesFromTheQueryFile)
{
	const std::string query = MakeQuery("Ev_Aktiv", kPredicate);
	const float onScreen[4] = {10, 20, 409, 319};
	BNode(query.c_str()).WriteAttr("_trk/windframe", B_RECT_TYPE, 0, onScreen, sizeof(onScreen));
	{
		QueryWindow window(query.c_str());
		EXPECT_EQ(window.geometry(), QRect(10, 20, 400, 300));
		// Moved by the user, the window keeps its new place in the file.
		window.setGeometry(30, 40, 500, 200);
		window.close();
		BRect frame;
		ASSERT_TRUE(QueryWindow::ReadFrame(query.c_str(), &frame));
		EXPECT_EQ(frame, BRect(30, 40, 529, 239));
	}

	const float offScreen[4] = {-5000, -5000, -4601, -4701};
	BNode(query.c_str()).WriteAttr("_trk/windframe", B_RECT_TYPE, 0, offScreen, sizeof(offScreen));
	{
		QueryWindow window(query.c_str());
		EXPECT_GT(window.geometry().left(), -1000);
		EXPECT_GE(window.width(), 320);
	}

	const float shortFrame[2] = {10, 20};
	BNode(query.c_str())
	    .WriteAttr("_trk/windframe", B_RECT_TYPE, 0, shortFrame, sizeof(shortFrame));
	BRect frame;
	EXPECT_FALSE(QueryWindow::ReadFrame(query.c_str(), &frame));
	const float inverted[4] = {100, 100, 10, 10};
	BNode(query.c_str()).WriteAttr("_trk/windframe", B_RECT_TYPE, 0, inverted, sizeof(inverted));
	EXPECT_FALSE(QueryWindow::ReadFrame(query.c_str(), &frame));
}
