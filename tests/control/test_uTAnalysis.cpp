// The analysis and the endgame tables of the game on their worker threads: tables are built once
// into the data folder, read from there or from the program folder next time, a damaged file is
// built anew; the analysis ends with the values a search without limits proves.
#include "control/uTAnalysis.h"
#include "control/uTEndgameTables.h"
#include "game/uEndgameBuild.h"
#include "records/uEndgameFile.h"
#include "records/uPositionText.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace kelani;

namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char arg0[] = "test_analysis";
    static char* argv[] = {arg0, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

// Asks for the table of rule set 4 with head pits until it is ready; whether it was built.
bool WaitForTable(TEndgameTables& tables) {
    bool built = false;
    tables.OnReady = [&](bool fresh) { built = fresh; };
    EXPECT_EQ(tables.For(4, true), nullptr) << "the first ask only starts the work";
    EXPECT_TRUE(QTest::qWaitFor([&] { return tables.For(4, true) != nullptr; }, 20000));
    return built;
}

} // namespace

TEST(EndgameTables, BuiltOnceIntoTheDataFolderThenReadAndRebuiltWhenDamaged) {
    App();
    QTemporaryDir program, data;
    const QString file = data.filePath(QString::fromStdString(EndgameFileName(4, true)));
    {
        TEndgameTables tables(program.path(), data.path(), 4);
        EXPECT_TRUE(WaitForTable(tables));
        EXPECT_TRUE(QFile::exists(file));
        EXPECT_LT(tables.Progress(), 0) << "no building under way any more";
    }
    {
        TEndgameTables tables(program.path(), data.path(), 4);
        EXPECT_FALSE(WaitForTable(tables)) << "read, not built again";
    }
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.seek(damaged.size() / 2);
    damaged.write("damage");
    damaged.close();
    {
        TEndgameTables tables(program.path(), data.path(), 4);
        EXPECT_TRUE(WaitForTable(tables)) << "a damaged file is built anew";
        EXPECT_NO_THROW(ReadEndgameTable(file.toStdString()));
    }
    // A table the package ships in the program folder is used as it is, of whatever stones.
    WriteEndgameTable(program.filePath(QString::fromStdString(EndgameFileName(5, false))).toStdString(),
                      BuildEndgameTable(5, false, 2));
    QTemporaryDir empty;
    TEndgameTables none(program.path(), empty.path(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return none.For(5, false) != nullptr; }, 20000));
    EXPECT_EQ(none.For(4, true), nullptr);
    QTest::qWait(50);
    EXPECT_EQ(none.For(4, true), nullptr) << "with 0 stones none is built";
}

TEST(Analysis, EndsWithTheValuesAFullSearchProvesAndSaysThemInWords) {
    App();
    const TFeld feld = ParsePosition("v4 h1 s3 p1 : 0 0 1 0 0 1 [18] 0 1 1 2 1 0 [11]");
    TMeister meister;
    TMeisterLimits limits;
    limits.AllPits = true;
    limits.Depth = kMeisterMaxPly;
    const TMeisterResult proven = meister.Search(feld, limits);
    ASSERT_TRUE(proven.Exact);

    TAnalysis analysis;
    TMeisterResult shown;
    bool final = false;
    analysis.Start(feld, nullptr, [&](const TMeisterResult& result, bool last) {
        shown = result;
        final = last;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return final; }, 30000));
    EXPECT_FALSE(analysis.Running());
    ASSERT_EQ(shown.Lines.size(), proven.Lines.size());
    for (size_t k = 0; k < shown.Lines.size(); ++k) {
        EXPECT_EQ(shown.Lines[k].Pit, proven.Lines[k].Pit);
        EXPECT_EQ(shown.Lines[k].Value, proven.Lines[k].Value);
        EXPECT_TRUE(shown.Lines[k].Exact);
    }

    const auto text = [](const char* key) { return QString::fromLatin1(key) + QStringLiteral(" %s"); };
    EXPECT_EQ(AnalysisValueText({3, 4, {}, true}, text), "anawins 4");
    EXPECT_EQ(AnalysisValueText({3, -2, {}, true}, text), "analoses 2");
    EXPECT_EQ(AnalysisValueText({3, 0, {}, true}, text), "anadraw %s");
    EXPECT_EQ(AnalysisValueText({3, 3, {}, false}, text), "anaabout +3");
    EXPECT_EQ(AnalysisValueText({3, -3, {}, false}, text), "anaabout -3");
    EXPECT_EQ(AnalysisValueText({3, kMeisterWin - 5, {}, true}, text), "anawon 5");
}
