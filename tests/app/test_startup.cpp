// The game's start with its graphics containers missing or damaged.
#include "app/uStartUp.h"
#include "app/ufSpielfeld.h"
#include "tests/app/GuiTestSupport.h"

using namespace kelani;
using namespace kelani::testing;

namespace {

using StartUp = GuiTest;

const QString kCorruptDe = QStringLiteral(
    "Die Datei \"%1\" ist besch\u00E4digt oder unvollst\u00E4ndig und kann nicht gelesen werden.");
const QString kCorruptEn = QStringLiteral("The file \"%1\" is damaged or incomplete and cannot be read.");
const QString kMissingDe = QStringLiteral("Die Datei \"%1\" kann nicht ge\u00F6ffnet werden.");
const QString kMissingEn = QStringLiteral("The file \"%1\" cannot be opened.");

QString Damaged(const char* name) {
    return QStringLiteral(KELANI_TEST_DATA "/damaged/") + QLatin1String(name);
}

// Each container the window loads, broken in another way, in both languages: the box names the
// file in the player's language, and no window is made.
TEST_F(StartUp, ABrokenContainerIsNamedInThePlayersLanguageAndTheGameEnds) {
    struct TCase {
        const char* Container;
        const char* Damage; // a crafted file, "cut" for a cut-off copy, nullptr for a missing file
        QByteArray Language;
        QString Text;
    };
    const TCase cases[] = {
        {"game.gfx", "bomb.gfx", "german", kCorruptDe},
        {"game.gfx", "descending.gfx", "english", kCorruptEn}, // holds no background picture
        {"steine.gfx", "cut", "german", kCorruptDe},
        {"mulden.gfx", nullptr, "english", kMissingEn},
        {"hands.gfx", "cut", "english", kCorruptEn},
        {"hands.gfx", nullptr, "german", kMissingDe},
    };
    for (const TCase& c : cases) {
        const QString file = FilePath(QLatin1String(c.Container));
        QFile container(file);
        if (c.Damage && QByteArray(c.Damage) == "cut") {
            ASSERT_TRUE(container.resize(container.size() / 2));
        } else {
            container.remove();
            ASSERT_TRUE(!c.Damage || QFile::copy(Damaged(c.Damage), file));
        }
        WriteSettings("[settings]\nlanguage=" + c.Language + "\nsound=0\n");
        EnableMessageSeam();
        SCOPED_TRACE(std::string(c.Container) + " " + (c.Damage ? c.Damage : "missing"));
        EXPECT_EQ(CreateMainWindow(), nullptr);
        ASSERT_EQ(ShownMessages().size(), 1u);
        EXPECT_EQ(ShownMessages()[0].Text, c.Text.arg(file));
        EXPECT_EQ(ShownMessages()[0].Type, mtError);
        ResetMessageSeam();
        QFile::remove(file);
        ASSERT_TRUE(QFile::copy(QStringLiteral(KELANI_PROGRAM_DIR "/") + c.Container, file));
    }
}

} // namespace
