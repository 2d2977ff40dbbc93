#pragma once
// The about dialog: product name, version, maker and the maker's addresses, in German or English
// (the window's language script switches it through its "language" property).
#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace kelani {

// The maker and its addresses: shown by the about dialog and opened by the Internet menu.
namespace maker {
inline constexpr char kName[] = "Tarvik";
inline constexpr char kEMail[] = "support@tarvik.example";
inline constexpr char kHomepage[] = "https://www.tarvik.example/";
inline constexpr char kDownload[] = "https://www.tarvik.example/download/kelani/";
inline constexpr char kShop[] = "https://www.tarvik.example/shop/";
inline constexpr char kSponsor[] = "https://www.kelani-sponsor.example/";
} // namespace maker

class TInfoDialogTarvik : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString language READ Language WRITE SetLanguage)
public:
    explicit TInfoDialogTarvik(QWidget* parent = nullptr);

    QString ProductName = QStringLiteral("Kelani \u00AE");
    QString Version = QStringLiteral("Freeware 2");
    QString Maker = QString::fromLatin1(maker::kName);
    QString EMail = QString::fromLatin1(maker::kEMail);
    QString Shop = QString::fromLatin1(maker::kShop);
    QString Homepage = QString::fromLatin1(maker::kHomepage);

    // Opens an address the player clicked; without it the shell opens it and a failure goes
    // unreported, so the owning window sets it to its own report.
    std::function<void(const QUrl&)> OnOpenLink;

    QString Language() const { return language_; }
    // "german" or "english"; anything else counts as German.
    void SetLanguage(const QString& language);

    // Shows the dialog modally with the current texts.
    void Execute();

private:
    void Retranslate();

    QString language_ = QStringLiteral("german");
    QLabel* lProduct_;
    QLabel* lVersion_;
    QLabel* lMaker_;
    QLabel* lAddresses_;
    QPushButton* bOK_;
};

} // namespace kelani
