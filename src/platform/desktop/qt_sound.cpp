#include "platform/desktop/qt_sound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

#include "core/fixed_text.h"

namespace tarvelo::platform {

void QtSound::playAsync(const std::string& file) {
    const QString path = QString::fromStdString(std::string(trimRight(file)));
    if (path.isEmpty() || !QFileInfo(path).isFile()) return;

    const auto effects = findChildren<QSoundEffect*>(Qt::FindDirectChildrenOnly);
    if (effects.size() >= kMaxActive) delete effects.front();

    auto* effect = new QSoundEffect(this);
    connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error) effect->deleteLater();
    });
    connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying() && effect->status() != QSoundEffect::Loading) effect->deleteLater();
    });
    effect->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    effect->play();
}

int QtSound::activeCount() const {
    return static_cast<int>(findChildren<QSoundEffect*>(Qt::FindDirectChildrenOnly).size());
}

}  // namespace tarvelo::platform
