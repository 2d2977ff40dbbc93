#include "components/uSound.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QThread>

namespace kelani {
namespace {

QString ResourcePath(const QString& name) {
    return QStringLiteral(":/sounds/%1.wav").arg(name.toLower());
}

// One effect per recording, made for all recordings at once so that they are decoded before they
// are needed. They belong to the application object and end with it.
class TSoundBank {
public:
    TSoundBank() {
        QDirIterator files(QStringLiteral(":/sounds"), {QStringLiteral("*.wav")}, QDir::Files);
        while (files.hasNext()) {
            const QString name = QFileInfo(files.next()).completeBaseName().toLower();
            auto* effect = new QSoundEffect(QCoreApplication::instance());
            effect->setSource(WaveResourceUrl(name));
            effects_.insert(name, effect);
        }
    }

    void Play(const QString& name) {
        Stop();
        current_ = effects_.value(name.toLower());
        if (current_) current_->play();
    }

    void Stop() {
        if (current_) current_->stop();
        current_ = nullptr;
    }

private:
    QHash<QString, QPointer<QSoundEffect>> effects_;
    QPointer<QSoundEffect> current_;
};

// Sounds belong to the user-interface thread. The recordings are decoded only once there is an
// audio device to hear them on: Qt Multimedia 6.4 hangs at exit when a program ends while its
// sample loader is still decoding, which short runs without a device (tests) would risk each time.
TSoundBank* Bank() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) return nullptr;
    static TSoundBank* bank = nullptr;
    if (!bank && !QMediaDevices::audioOutputs().isEmpty()) bank = new TSoundBank;
    return bank;
}

} // namespace

void PlayWaveResource(const QString& name) {
    if (TSoundBank* bank = Bank()) bank->Play(name);
}

void StopSound() {
    if (TSoundBank* bank = Bank()) bank->Stop();
}

bool HasWaveResource(const QString& name) {
    return !name.isEmpty() && QFile::exists(ResourcePath(name));
}

QUrl WaveResourceUrl(const QString& name) {
    return QUrl(QStringLiteral("qrc") + ResourcePath(name));
}

} // namespace kelani
