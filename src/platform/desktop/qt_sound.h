#pragma once
// WAV alarms through Qt Multimedia. Each call plays on its own sound effect, which lives until it has
// finished (or failed to load) and then disposes of itself; nothing is ever reported to the user.
#include <QObject>

#include "platform/ports.h"

namespace tarvelo::platform {

class QtSound : public QObject, public SoundPort {
    Q_OBJECT
public:
    explicit QtSound(QObject* parent = nullptr) : QObject(parent) {}

    void playAsync(const std::string& file) override;

    // Sound effects still loading or playing.
    int activeCount() const;

private:
    // Effects that never finish (no audio device answers) must not pile up: past this many the oldest goes.
    static constexpr int kMaxActive = 8;
};

}  // namespace tarvelo::platform
