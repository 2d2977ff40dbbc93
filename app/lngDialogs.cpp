#include "app/lngDialogs.h"

#include "base/uAtomicSave.h"
#include "components/MultiLanguage.h"
#include "components/uFormat.h"
#include "components/uShellOpen.h"
#include "components/uTextConversion.h"
#include "settings/uLngScript.h"
#include "streams/JwStream.h"
#include "view/uTGFXFile.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTranslator>
#include <array>
#include <bit>
#include <deque>
#include <map>

namespace kelani {
namespace {

struct TButtonInfo {
    TMsgDlgBtn Button;
    const char* Key; // key in "MESSAGE_LNG", also the button's objectName
    int Result;
    QMessageBox::StandardButton Standard;
    const char* StandardText;
};

// The buttons in the fixed order of every box.
constexpr std::array<TButtonInfo, 11> kButtons = {{
    {mbYes, "mbYes", mrYes, QMessageBox::Yes, "Yes"},
    {mbNo, "mbNo", mrNo, QMessageBox::No, "No"},
    {mbOK, "mbOK", mrOk, QMessageBox::Ok, "OK"},
    {mbCancel, "mbCancel", mrCancel, QMessageBox::Cancel, "Cancel"},
    {mbAbort, "mbAbort", mrAbort, QMessageBox::Abort, "Abort"},
    {mbRetry, "mbRetry", mrRetry, QMessageBox::Retry, "Retry"},
    {mbIgnore, "mbIgnore", mrIgnore, QMessageBox::Ignore, "Ignore"},
    {mbAll, "mbAll", mrAll, QMessageBox::NoButton, "All"},
    {mbNoToAll, "mbNoToAll", mrNoToAll, QMessageBox::NoToAll, "No to All"},
    {mbYesToAll, "mbYesToAll", mrYesToAll, QMessageBox::YesToAll, "Yes to All"},
    {mbHelp, "mbHelp", mrNone, QMessageBox::Help, "Help"},
}};

struct TTypeInfo {
    const char* Key; // caption key in "MESSAGE_LNG"
    const char* StandardCaption;
    QStyle::StandardPixmap Pixmap;
    QMessageBox::Icon StandardIcon;
};

// Warning, error, information and confirmation; the plain box has its own caption and no icon.
constexpr std::array<TTypeInfo, 4> kTypes = {{
    {"warning", "Warning", QStyle::SP_MessageBoxWarning, QMessageBox::Warning},
    {"error", "Error", QStyle::SP_MessageBoxCritical, QMessageBox::Critical},
    {"information", "Information", QStyle::SP_MessageBoxInformation, QMessageBox::Information},
    {"confirm", "Confirm", QStyle::SP_MessageBoxQuestion, QMessageBox::Question},
}};

// The texts currently loaded for the boxes: five captions and eleven button texts.
struct TDlgMultiLangRec {
    std::array<QString, 5> Captions;
    std::array<QString, 11> Buttons;
};

QString gDialogLanguage;
QString gApplicationTitle;
QString gLoadedLanguage;
bool gLoadAttempted = false;
bool gLoadedOk = false;
TDlgMultiLangRec gTexts;

bool gSeam = false;
std::deque<int> gAnswers;
std::vector<TShownMessage> gShown;

const TStrings& MessageLines() {
    static const TStrings lines = [] {
        TStrings script;
        for (const auto& line : LanguageScript(QStringLiteral("MESSAGE_LNG")))
            script.push_back(ToCp1252(line));
        return script;
    }();
    return lines;
}

// Qt's own dialogs (file open and save, print) and their buttons follow the dialog language;
// English is Qt's own. Without the translations installed they stay English. Dates, months and
// numbers follow it too, whatever the desktop's own locale.
void SwitchToolkitLanguage(const QString& language) {
    static QPointer<QTranslator> german;
    QLocale::setDefault(language == QLatin1String("german") ? QLocale(QLocale::German, QLocale::Germany)
                        : language == QLatin1String("english")
                            ? QLocale(QLocale::English, QLocale::UnitedKingdom)
                            : QLocale::system());
    if (!QCoreApplication::instance()) return;
    if (!german) {
        german = new QTranslator(QCoreApplication::instance());
        (void)german->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    QCoreApplication::removeTranslator(german);
    if (language == QLatin1String("german")) QCoreApplication::installTranslator(german);
}

QString Lookup(const TStrings& section, const char* key) {
    return FromCp1252(ScriptString(section, key)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Loads the texts of the dialog language once per change; false when there are none.
bool LoadTexts() {
    if (gDialogLanguage.isEmpty()) return false;
    if (gLoadAttempted && gDialogLanguage == gLoadedLanguage) return gLoadedOk;
    const TStrings section = ExtractScriptSection(MessageLines(), ToCp1252(gDialogLanguage));
    gLoadAttempted = true;
    gLoadedLanguage = gDialogLanguage;
    gLoadedOk = !section.empty();
    if (!gLoadedOk) return false;
    for (size_t i = 0; i < kTypes.size(); ++i) gTexts.Captions[i] = Lookup(section, kTypes[i].Key);
    for (size_t i = 0; i < kButtons.size(); ++i) gTexts.Buttons[i] = Lookup(section, kButtons[i].Key);
    return true;
}

// The message for a save that did not happen: why, in the player's words.
const char* SaveFailureKey(TSaveFailure failure) {
    switch (failure) {
    case TSaveFailure::ReadOnly:
        return "filereadonly";
    case TSaveFailure::FolderRefuses:
        return "filefolderrefuses";
    case TSaveFailure::IsFolder:
        return "fileisfolder";
    case TSaveFailure::WriteFailed:
        return "filewritefailed";
    case TSaveFailure::Other:
        break;
    }
    return "filenotsaved";
}

// A failed save carries the file it was asked for, so its box names it whoever caught it.
bool SaveErrorDlg(const std::exception& error) {
    const auto* failed = dynamic_cast<const EFileSaveError*>(&error);
    if (!failed) return false;
    const QString file = QFile::decodeName(QByteArray::fromStdString(failed->FileName().native()));
    LngMessageDlg(FormatText(LngMessageText(SaveFailureKey(failed->Failure())), {file}), mtError, mbOK);
    return true;
}

QString Caption(TMsgDlgType type, bool translated) {
    if (type == mtCustom) return ApplicationTitle();
    return translated ? gTexts.Captions[type] : QString::fromLatin1(kTypes[type].StandardCaption);
}

QString ButtonText(size_t index, bool translated) {
    return translated ? gTexts.Buttons[index] : QString::fromLatin1(kButtons[index].StandardText);
}

// Default button: OK, else Yes, else Retry.
int DefaultButton(TMsgDlgButtons buttons) {
    for (TMsgDlgBtn wanted : {mbOK, mbYes, mbRetry})
        for (size_t i = 0; i < kButtons.size(); ++i)
            if (kButtons[i].Button == wanted && (buttons & wanted)) return static_cast<int>(i);
    return -1;
}

// Result of Esc and of the window's close button: Cancel, else No, else OK.
int CancelResult(TMsgDlgButtons buttons) {
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbNo) return mrNo;
    if (buttons & mbOK) return mrOk;
    return mrCancel;
}

TShownMessage Describe(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, bool translated) {
    TShownMessage shown{Caption(type, translated), text, {}, {}, type, !translated};
    for (size_t i = 0; i < kButtons.size(); ++i)
        if (buttons & kButtons[i].Button) shown.Buttons.append(ButtonText(i, translated));
    const int def = DefaultButton(buttons);
    if (def >= 0) shown.DefaultButton = ButtonText(static_cast<size_t>(def), translated);
    return shown;
}

int SeamAnswer(TMsgDlgButtons buttons) {
    if (!gAnswers.empty()) {
        const int answer = gAnswers.front();
        gAnswers.pop_front();
        return answer;
    }
    const int def = DefaultButton(buttons);
    return def >= 0 ? kButtons[static_cast<size_t>(def)].Result : mrCancel;
}

// The toolkit's own box, used while no translated texts are available.
int StandardMessageBox(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    QMessageBox box(type == mtCustom ? QMessageBox::NoIcon : kTypes[type].StandardIcon, Caption(type, false),
                    text, QMessageBox::NoButton);
    box.setTextFormat(Qt::PlainText);
    std::map<QAbstractButton*, int> results;
    const int def = DefaultButton(buttons);
    for (size_t i = 0; i < kButtons.size(); ++i) {
        const auto& info = kButtons[i];
        if (!(buttons & info.Button)) continue;
        QPushButton* button =
            info.Standard != QMessageBox::NoButton
                ? box.addButton(info.Standard)
                : box.addButton(QString::fromLatin1(info.StandardText), QMessageBox::AcceptRole);
        results[button] = info.Result;
        if (static_cast<int>(i) == def) box.setDefaultButton(button);
        if (info.Result == CancelResult(buttons)) box.setEscapeButton(button);
    }
    box.exec();
    const auto found = results.find(box.clickedButton());
    return found != results.end() ? found->second : CancelResult(buttons);
}

// The translated box; Esc and the close button give the cancel button's result.
class TMessageForm : public QDialog {
public:
    explicit TMessageForm(int cancelResult) : cancelResult_(cancelResult) {}
    void reject() override { done(cancelResult_); }

private:
    int cancelResult_;
};

int MulDiv(int a, int b, int c) {
    return (a * b + c / 2) / c;
}

// Spacings in dialog units: quarters of the average character width, eighths of its height.
struct TDialogUnits {
    explicit TDialogUnits(const QFontMetrics& metrics)
        : CharWidth(metrics.horizontalAdvance(
                        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                    52),
          CharHeight(metrics.height()) {}
    int X(int units) const { return MulDiv(units, CharWidth, 4); }
    int Y(int units) const { return MulDiv(units, CharHeight, 8); }
    int CharWidth;
    int CharHeight;
};

QRect ScreenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

int ButtonWidth(const TDialogUnits& du, const QFontMetrics& metrics, TMsgDlgButtons buttons) {
    int width = du.X(50);
    for (size_t i = 0; i < kButtons.size(); ++i)
        if (buttons & kButtons[i].Button)
            width = std::max(width, metrics.horizontalAdvance(gTexts.Buttons[i]) + 8);
    return width;
}

std::unique_ptr<QDialog> BuildForm(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    auto form = std::make_unique<TMessageForm>(CancelResult(buttons));
    form->setObjectName(QStringLiteral("MessageForm"));
    form->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
    form->setWindowTitle(Caption(type, true));
    form->setFont(QApplication::font("QMessageBox"));
    const QFontMetrics metrics(form->font());
    const TDialogUnits du(metrics);

    QRect textRect = metrics.boundingRect(QRect(0, 0, ScreenRect().width() / 2, 0),
                                          Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    int textLeft = du.X(8);
    int blockWidth = textRect.width();
    int blockHeight = textRect.height();
    if (type != mtCustom) {
        auto* icon = new QLabel(form.get());
        icon->setObjectName(QStringLiteral("Image"));
        icon->setPixmap(form->style()->standardIcon(kTypes[type].Pixmap).pixmap(32, 32));
        // The icon tells the kind of message, as the caption does.
        icon->setAccessibleName(Caption(type, true));
        icon->setGeometry(du.X(8), du.Y(8), 32, 32);
        textLeft += 32 + du.X(10);
        blockWidth += 32 + du.X(10);
        blockHeight = std::max(blockHeight, 32);
    }
    auto* message = new QLabel(text, form.get());
    message->setObjectName(QStringLiteral("Message"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->setGeometry(textLeft, du.Y(8), textRect.width(), textRect.height());

    const int count = std::popcount(buttons & ((1u << kButtons.size()) - 1));
    const int buttonWidth = ButtonWidth(du, metrics, buttons);
    const int rowWidth = count * buttonWidth + std::max(count - 1, 0) * du.X(4);
    const int clientWidth = std::max(blockWidth, rowWidth) + 2 * du.X(8);
    const int clientHeight = blockHeight + du.Y(10) + du.Y(14) + 2 * du.Y(8);
    form->setFixedSize(clientWidth, clientHeight);

    const int def = DefaultButton(buttons);
    int x = (clientWidth - rowWidth) / 2;
    for (size_t i = 0; i < kButtons.size(); ++i) {
        const auto& info = kButtons[i];
        if (!(buttons & info.Button)) continue;
        auto* button = new QPushButton(gTexts.Buttons[i], form.get());
        button->setObjectName(QString::fromLatin1(info.Key));
        button->setGeometry(x, blockHeight + du.Y(8) + du.Y(10), buttonWidth, du.Y(14));
        if (static_cast<int>(i) == def) {
            button->setDefault(true);
            button->setFocus();
        }
        if (info.Button != mbHelp)
            QObject::connect(button, &QPushButton::clicked, form.get(),
                             [f = form.get(), r = info.Result] { f->done(r); });
        x += buttonWidth + du.X(4);
    }
    form->move(ScreenRect().center() - QPoint(clientWidth / 2, clientHeight / 2));
    return form;
}

// Why a file or address was not opened, naming it: the file is missing or has no program, or the
// browser or the mail program did not start.
QString NotOpenedText(const QUrl& url) {
    if (url.isLocalFile())
        return FormatText(LngMessageText("msgnoopen"), {QDir::toNativeSeparators(url.toLocalFile())});
    if (url.scheme() == QLatin1String("mailto"))
        return FormatText(LngMessageText("msgnomailer"), {url.path()});
    return FormatText(LngMessageText("msgnobrowser"), {url.toString()});
}

} // namespace

void SetApplicationTitle(const QString& title) {
    gApplicationTitle = title;
}

QString ApplicationTitle() {
    return gApplicationTitle.isEmpty() ? QGuiApplication::applicationDisplayName() : gApplicationTitle;
}

QString LngMessageText(const char* key) {
    const QString language = gDialogLanguage.isEmpty() ? QStringLiteral("english") : gDialogLanguage;
    return Lookup(ExtractScriptSection(MessageLines(), ToCp1252(language)), key);
}

void SetDialogLanguage(const QString& language) {
    gDialogLanguage = language;
    SwitchToolkitLanguage(language);
}

std::unique_ptr<QDialog> CreateMessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    if (!LoadTexts()) return nullptr;
    return BuildForm(text, type, buttons);
}

int LngMessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    const bool translated = LoadTexts();
    if (gSeam) {
        gShown.push_back(Describe(text, type, buttons, translated));
        return SeamAnswer(buttons);
    }
    if (!translated) return StandardMessageBox(text, type, buttons);
    return BuildForm(text, type, buttons)->exec();
}

void LngErrorDlg(const std::exception& error) {
    if (SaveErrorDlg(error)) return;
    LngMessageDlg(ErrorText(error.what()), mtError, mbOK);
}

void LngFileErrorDlg(const std::exception& error, const QString& fileName) {
    if (SaveErrorDlg(error)) return;
    const char* key = nullptr;
    if (dynamic_cast<const ECorruptFile*>(&error) || dynamic_cast<const EReadError*>(&error) ||
        dynamic_cast<const EInvalidGraphic*>(&error))
        key = "filecorrupt";
    else if (dynamic_cast<const EFOpenError*>(&error))
        key = "filenotopened";
    else if (dynamic_cast<const EWriteError*>(&error) || dynamic_cast<const EFCreateError*>(&error))
        key = "filenotsaved";
    if (!key || fileName.isEmpty()) return LngErrorDlg(error);
    LngMessageDlg(FormatText(LngMessageText(key), {fileName}), mtError, mbOK);
}

bool LngShellOpen(const QUrl& url) {
    if (ShellOpen(url)) return true;
    if (IsPlaceholderAddress(url))
        LngMessageDlg(FormatText(LngMessageText("msgnoaddress"), {url.toString()}), mtInformation, mbOK);
    else
        LngMessageDlg(NotOpenedText(url), mtWarning, mbOK);
    return false;
}

void EnableMessageSeam() {
    gSeam = true;
}

void QueueMessageAnswer(int result) {
    gSeam = true;
    gAnswers.push_back(result);
}

const std::vector<TShownMessage>& ShownMessages() {
    return gShown;
}

void ResetMessageSeam() {
    gSeam = false;
    gAnswers.clear();
    gShown.clear();
}

} // namespace kelani
