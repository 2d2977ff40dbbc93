#include "components/MultiLanguage.h"

#include "components/uTextConversion.h"

#include "tests/support/TestApp.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace kelani;

namespace {

const QStringList kForms = {"TfSpielfeld", "TfNewGame",   "TfStreichholz", "TfHighscore",     "TfHistory",
                            "TfLanguage",  "MESSAGE_LNG", "TfAnalyse",     "TfPositionEditor", "TfOnline"};

QStringList Keys(const QString& form, const QString& language) {
    TStrings script;
    for (const auto& line : LanguageScript(form)) script.push_back(ToCp1252(line));
    QStringList keys;
    TScriptEntry entry;
    for (const auto& line : ExtractScriptSection(script, ToCp1252(language)))
        if (ParseScriptEntry(line, entry)) keys.append(FromCp1252(entry.Key));
    return keys;
}

// A script component on a bare object: plain keys only, nothing to translate.
struct TScript {
    explicit TScript(const QString& form, const QString& language) : lng(&owner) {
        lng.LoadScript(form);
        lng.SetLanguage(language);
    }
    QObject owner;
    TMultiLanguage lng;
};

QStringList Lands(const QString& language) {
    return TScript("TfNewGame", language).lng.GetString("lands").split('\n');
}

} // namespace

TEST(Scripts, EveryWindowHasBothLanguagesWithTheSameKeys) {
    test::App();
    for (const auto& form : kForms) {
        const QStringList german = Keys(form, "german");
        EXPECT_FALSE(german.isEmpty()) << form.toStdString();
        EXPECT_EQ(german, Keys(form, "english")) << form.toStdString();
        EXPECT_EQ(QSet<QString>(german.begin(), german.end()).size(), german.size()) << form.toStdString();
    }
    EXPECT_EQ(LanguageScript("tfnewgame"), LanguageScript("TfNewGame"));
    EXPECT_TRUE(LanguageScript("TfNoSuchForm").isEmpty());
}

TEST(Scripts, EveryCharacterFitsTheSingleByteCodePage) {
    test::App();
    for (const auto& form : kForms)
        for (const auto& line : LanguageScript(form))
            EXPECT_EQ(FromCp1252(ToCp1252(line)), line) << form.toStdString() << ": " << line.toStdString();
}

TEST(Scripts, CountryListHasTheSameKeysInBothLanguages) {
    test::App();
    const QStringList german = Lands("german");
    const QStringList english = Lands("english");
    ASSERT_EQ(german.size(), 114);
    ASSERT_EQ(english.size(), 114);
    for (int i = 0; i < 114; ++i) EXPECT_EQ(german[i].section('=', 0, 0), english[i].section('=', 0, 0)) << i;
    EXPECT_EQ(german[0], "europa=keine Angabe");
    EXPECT_EQ(english[0], "europa=not applicable");
    EXPECT_EQ(german[2], QString::fromUtf8("egypt=Ägypten"));
    EXPECT_EQ(english[22], "deutschland=Germany");
    EXPECT_EQ(german[45], "jordanien =Jordanien"); // the blank belongs to the key
    EXPECT_EQ(german[75], QString::fromUtf8("oesterreich=Österreich"));
    EXPECT_EQ(english[89], "schweiz=Switzerland");
    EXPECT_EQ(german[113], "zentralafrika=Zentralafrikanische Republik");
    EXPECT_EQ(english[113], "zentralafrika=Central African Republic");
}

TEST(Scripts, DesignedTextsComeOutAsWritten) {
    test::App();
    const TScript newGame("TfNewGame", "german");
    EXPECT_EQ(newGame.lng.GetString("rgModus.Caption"), " Modus ");
    EXPECT_EQ(newGame.lng.GetString("rgDiff.Items"),
              QString::fromUtf8("Anfänger\nMittelmäßig\nProfi\nMeister"));
    EXPECT_EQ(newGame.lng.GetString("player"), "Spieler");
    const TScript main("TfSpielfeld", "english");
    EXPECT_EQ(
        main.lng.GetString("msgplayersummary"),
        "Player %s has captured %d stones and scored %s points.\nThe score of %s points is the %d rank in "
        "highscore !\n\n");
    EXPECT_EQ(main.lng.GetString("c_helpfile"), "hilfe\\start_e.htm");
    const TScript lots("TfStreichholz", "german");
    EXPECT_EQ(lots.lng.GetString("lDesc.Caption").count('\n'), 2);
    const TScript highscore("TfHighscore", "german");
    EXPECT_EQ(highscore.lng.GetString("lDescHead.Caption"),
              QString::fromUtf8("Die besten KELANI ® Spieler:"));
    const TScript messages("MESSAGE_LNG", "german");
    EXPECT_EQ(messages.lng.GetString("confirm"), QString::fromUtf8("Bestätigen"));
}
