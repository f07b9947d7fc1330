// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <Entry.h>
#include <Mailing.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace
{

typedef std::vector<std::string> Strings;
typedef std::vector<std::vector<std::string>> Launches;

std::string
StringAttr(const std::string& path, const char* name)
{
	BNode node(path.c_str());
	BString value;
	EXPECT_EQ(node.ReadAttrString(name, &value), B_OK) << name;
	return value.String();
}

struct UrlCase {
	const char* to;
	Strings cc;
	const char* subject;
	const char* url;
};

class MailtoEncoding : public testing::TestWithParam<UrlCase>
{
};

class MailingTest : public testing::Test
{
protected:
	DesktopGuard fDesktop;
};

} // namespace

TEST(AttendeeAddresses, TakesEveryLineAfterTheBlock)
{
	EXPECT_EQ(AttendeeAddresses("Talk\n\nATTENDEE;\nann\nbob\ncid\n"),
	          (Strings{"ann", "bob", "cid"}));
	// Lines after the block are addresses too, an empty one included; a last line
	// without its line break is not.
	EXPECT_EQ(AttendeeAddresses("x ATTENDEE;\nann\n\nNotes follow\nlast"),
	          (Strings{"ann", "", "Notes follow"}));
	EXPECT_TRUE(AttendeeAddresses("ATTENDEE;\nann\n").empty());
	EXPECT_TRUE(AttendeeAddresses("no block\nann\n").empty());
	EXPECT_TRUE(AttendeeAddresses("x ATTENDEE;").empty());
	EXPECT_TRUE(AttendeeAddresses(nullptr).empty());
}

TEST_P(MailtoEncoding, EncodesEveryFieldAsData)
{
	const UrlCase& c = GetParam();
	EXPECT_EQ(MailtoUrl(c.to, c.cc, c.subject), c.url);
}

INSTANTIATE_TEST_SUITE_P(
    Rfc6068, MailtoEncoding,
    testing::Values(
        UrlCase{"ann@example.org", {}, "Lunch", "mailto:ann@example.org?subject=Lunch"},
        UrlCase{"ann@example.org",
                {"bob@example.org", "cid@example.org"},
                "Team meeting",
                "mailto:ann@example.org?subject=Team%20meeting&cc=bob@example.org,cid@example.org"},
        UrlCase{"", {}, "", "mailto:?subject=Event"},
        UrlCase{"a&b@x.org",
                {"c?d@x.org"},
                "Q&A? 100% #1 =2 +3",
                "mailto:a%26b@x.org?subject=Q%26A%3F%20100%25%20%231%20%3D2%20%2B3&cc=c%3Fd@x.org"},
        UrlCase{"\"Ann, B\" <ann@x.org>",
                {},
                "it's \"odd\"; $(touch x) `y`",
                "mailto:%22Ann%2C%20B%22%20%3Cann@x.org%3E?subject=it%27s%20%22odd%22%3B%20%24%"
                "28touch%20x%29%20%60y%60"},
        UrlCase{"j\xc3\xb6rg@z\xc3\xbcrich.ch",
                {},
                "Caf\xc3\xa9 \xe2\x98\x83",
                "mailto:j%C3%B6rg@z%C3%BCrich.ch?subject=Caf%C3%A9%20%E2%98%83"},
        UrlCase{" ann@x.org\r",
                {"", " ", "bob@x.org"},
                "two\nlines",
                "mailto:ann@x.org?subject=two%0Alines&cc=bob@x.org"}));

TEST_F(MailingTest, HandsTheMailToTheDesktopsMailProgram)
{
	const std::string mailer = DesktopTest::MakeProgram("bin/mailer");
	DesktopTest::MakeEntry("mailer.desktop", "[Desktop Entry]\nType=Application\nName=Mail\nExec=" +
	                                             mailer + " --compose %u\n");
	DesktopTest::SetDefault("x-scheme-handler/mailto", "mailer.desktop");
	RecordGuard record;
	OpenMailing("Talk\n\nATTENDEE;\nann@x.org\nbob@x.org\ncid@x.org\n", "Q&A; $(x)", false);
	OpenMailing("no attendees", nullptr, true);
	EXPECT_EQ(record.Launches(),
	          (Launches{{mailer, "--compose",
	                     "mailto:ann@x.org?subject=Q%26A%3B%20%24%28x%29&cc=bob@x.org,cid@x.org"},
	                    {mailer, "--compose", "mailto:?subject=Event"}}));
	// No draft is written for such a program.
	EXPECT_FALSE(fs::exists(TestHome::Path() + "/run/EventDraft"));
}

TEST_F(MailingTest, GivesTheSystemMailProgramADraft)
{
	ASSERT_EQ(BMimeType("text/x-email").SetPreferredApp(kSystemMailSignature), B_OK);
	const std::string mail = DesktopTest::MakeProgram("apps/Mail");
	const entry_ref hint = RefFor(mail);
	ASSERT_EQ(BMimeType(kSystemMailSignature).SetAppHint(&hint), B_OK);
	ASSERT_EQ(BMimeType(kMailDraftType).SetPreferredApp(kSystemMailSignature), B_OK);
	RecordGuard record;
	OpenMailing("Talk\n\nATTENDEE;\nann\nbob\ncid\n", "ab", false);

	// In the user's private runtime folder, never under a fixed name in /tmp.
	const std::string draft = TestHome::Path() + "/run/EventDraft";
	ASSERT_TRUE(fs::exists(draft));
	EXPECT_EQ(DesktopTest::ReadFile(draft), "\n ");
	EXPECT_EQ(StringAttr(draft, "MAIL:to"), "ann");
	EXPECT_EQ(StringAttr(draft, "MAIL:name"), "ann");
	EXPECT_EQ(StringAttr(draft, "MAIL:cc"), "bob , cid");
	EXPECT_EQ(StringAttr(draft, "MAIL:subject"), "Event");
	BNode node(draft.c_str());
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("MAIL:draft", &info), B_OK);
	EXPECT_EQ(info.type, (type_code)B_INT32_TYPE);
	int32 isDraft = 0;
	EXPECT_EQ(node.ReadAttr("MAIL:draft", B_INT32_TYPE, 0, &isDraft, sizeof(isDraft)), 4);
	EXPECT_EQ(isDraft, 1);
	char type[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(BNodeInfo(&node).GetType(type), B_OK);
	EXPECT_STREQ(type, kMailDraftType);
	EXPECT_EQ(record.Launches(), (Launches{{mail, draft}}));

	// The draft is reused; a longer subject is kept.
	OpenMailing("x ATTENDEE;\nzoe\n", "Planning", false);
	EXPECT_EQ(StringAttr(draft, "MAIL:subject"), "Planning");
	EXPECT_EQ(StringAttr(draft, "MAIL:to"), "zoe");
	EXPECT_EQ(StringAttr(draft, "MAIL:cc"), "");
	EXPECT_EQ(DesktopTest::ReadFile(draft), "\n ");
}

TEST_F(MailingTest, DoesNothingWithoutAMailProgram)
{
	RecordGuard record;
	OpenMailing("x ATTENDEE;\nann\n", "Lunch", false);
	EXPECT_TRUE(record.Launches().empty());
}
