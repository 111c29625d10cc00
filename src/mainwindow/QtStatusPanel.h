#pragma once
// A status-bar panel: a text with an optional image before it (the connection state).
#include <QIcon>
#include <QLabel>

class QtStatusPanel : public QLabel {
    Q_OBJECT
public:
    explicit QtStatusPanel(QWidget* parent = nullptr);
    void SetImage(const QIcon& icon, const QString& imageKey);
    QString ImageKey() const { return m_imageKey; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int IconSide() const;
    QIcon m_icon;
    QString m_imageKey;
};
