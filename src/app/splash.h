#pragma once
// The picture shown while the program starts: no caption, a picture and one line of text. It closes by
// itself after a moment, or at once when it is clicked.
#include <QSvgRenderer>
#include <QWidget>

namespace tarvelo::app {

class Splash : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShownMilliseconds = 2500;

    // over: the window to centre on (the frame); may be null for the screen's centre.
    explicit Splash(QWidget* over = nullptr, int shownMilliseconds = kShownMilliseconds);

    // Makes a splash, shows it over the window and lets it go: it deletes itself when it closes.
    static Splash* start(QWidget* over, int shownMilliseconds = kShownMilliseconds);

    QString textLine() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QSvgRenderer m_picture;
    QString m_text;
};

}  // namespace tarvelo::app
