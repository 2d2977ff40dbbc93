#include "app/uSound.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
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

// One effect per recording, made for all recordings at the first call so that they are decoded
// before they are needed. They belong to the application object and end with it.
class TSoundBank {
public:
    TSoundBank() {
        QDirIterator files(QStringLiteral(":/sounds"), {QStringLiteral("*.wav")}, QDir::Files);
        while (files.hasNext()) {
            const QString path = files.next();
            auto* effect = new QSoundEffect(QCoreApplication::instance());
            effect->setSource(QUrl(QStringLiteral("qrc") + path));
            effects_.insert(path.toLower(), effect);
        }
    }

    void Play(const QString& name) {
        Stop();
        if (QMediaDevices::audioOutputs().isEmpty()) return; // nothing to hear, nothing to report
        current_ = effects_.value(ResourcePath(name));
        if (current_) current_->play();
    }

    bool Ready(const QString& name) const {
        const QSoundEffect* effect = effects_.value(ResourcePath(name));
        return effect && effect->status() == QSoundEffect::Ready;
    }

    void Stop() {
        if (current_) current_->stop();
        current_ = nullptr;
    }

private:
    QHash<QString, QPointer<QSoundEffect>> effects_;
    QPointer<QSoundEffect> current_;
};

// Sounds belong to the user-interface thread; without an application there is nothing to play on.
TSoundBank* Bank() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) return nullptr;
    static TSoundBank* bank = new TSoundBank;
    return bank;
}

} // namespace

void PlayWaveResource(const QString& name) {
    if (TSoundBank* bank = Bank()) bank->Play(name);
}

void StopSound() {
    if (TSoundBank* bank = Bank()) bank->Stop();
}

bool WaveResourceReady(const QString& name) {
    const TSoundBank* bank = Bank();
    return bank && bank->Ready(name);
}

bool HasWaveResource(const QString& name) {
    return !name.isEmpty() && QFile::exists(ResourcePath(name));
}

} // namespace kelani
