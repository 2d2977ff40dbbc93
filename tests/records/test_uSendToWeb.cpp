#include "records/uSendToWeb.h"
#include "records/uTHighscore.h"

#include <gtest/gtest.h>

using namespace kelani;

namespace {

// Records every post; fails the post with the given number (1-based), if any, or has the server
// refuse it.
class RecordingPost : public TCustomWebPost {
public:
    int failAt = 0, refuseAt = 0, tried = 0;
    std::vector<TWebPostItems> sent;
    bool Post() override {
        Refused = ++tried == refuseAt;
        if (tried == failAt || Refused) return false;
        sent.push_back(Items);
        return true;
    }
};

// Tables are neither copied nor moved, so the test fills the one it holds.
void AddThreeEntries(THighscore& table) {
    for (int i = 0; i < 3; ++i)
        table.AddEntry("p" + std::to_string(i), 10 + i, 30, 18, 10, false, "p@example.org", "europa");
}

} // namespace

TEST(SendToWeb, SendsOnlyEntriesWithNameAndEMailInRankOrder) {
    THighscore table;
    table.GameIndex = "5";
    table.AddEntry("J\xF6rg", 3725, 32, 16, 12, false, "j@example.org", "deutschland");
    table.AddEntry("NoMail", 100, 40, 8, 10, false, "", "schweiz");
    table.AddEntry("Ann", 50, 10, 38, 20, false, "ann@example.org", "europa");
    RecordingPost post;
    EXPECT_EQ(SendToWeb(table, post), 0);
    EXPECT_EQ(post.Server, table.Server);
    EXPECT_EQ(post.Action, "/software/highscore.add.php4");
    ASSERT_EQ(post.sent.size(), 2u);
    const TWebPostItems& first = post.sent[0];
    ASSERT_EQ(first.size(), 11u);
    EXPECT_EQ(first[0].Value, "J%26ouml%3Brg");
    EXPECT_EQ(first[4].Value, "0"); // "ki": humans only
    EXPECT_EQ(first[5].Value, "01%3A02%3A05");
    EXPECT_EQ(first[9].Value, "5");
    EXPECT_EQ(post.sent[1][0].Value, "Ann");
}

TEST(SendToWeb, StopsAtTheFirstFailure) {
    THighscore table;
    AddThreeEntries(table);
    RecordingPost post;
    post.failAt = 2;
    EXPECT_EQ(SendToWeb(table, post), -1);
    EXPECT_EQ(post.sent.size(), 1u);
}

TEST(SendToWeb, AnEntryTheServerRefusesDoesNotStopTheOthers) {
    THighscore table;
    AddThreeEntries(table);
    RecordingPost post;
    post.refuseAt = 1;
    EXPECT_EQ(SendToWeb(table, post), 0);
    ASSERT_EQ(post.sent.size(), 2u);
    EXPECT_EQ(post.sent[0][0].Value, "p1");
}

TEST(SendToWeb, AnEmptyTableSendsNothingAndSucceeds) {
    THighscore table;
    RecordingPost post;
    EXPECT_EQ(SendToWeb(table, post), 0);
    EXPECT_TRUE(post.sent.empty());
}

TEST(SendToWeb, TheServersAnswersAreCountedByWhatItMadeOfEachEntry) {
    const TSendCounts counts =
        CountAnswers({"stored", "known", "stored", "not kept: the player's better entries fill his places",
                      "<html>ok</html>"});
    EXPECT_EQ(counts.Stored, 2);
    EXPECT_EQ(counts.Known, 1);
    EXPECT_EQ(counts.NotKept, 1);
    EXPECT_EQ(counts.Other, 1);
    // Only the whole word counts: an answer that merely begins like one is another server's.
    EXPECT_EQ(CountAnswers({"storedx", ""}).Other, 2);
}
