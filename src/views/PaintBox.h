#pragma once
// A fixed-size picture the windows draw into off-screen (QImage) and show as it is: what the
// pixel tests read is exactly what the user sees. Reports the pointer and clicks over it.
#include <QImage>
#include <QWidget>

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    TPaintBox(const QString& Name, QSize Size, QWidget* Parent);

    QImage& Picture() { return picture_; }
    const QImage& Picture() const { return picture_; }
    // After drawing into Picture(): show it.
    void Present() { update(); }

signals:
    void MouseMoved(QPoint Position);
    void Clicked();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    QImage picture_;
};
