#include "ui/widgets/zxPushButton.h"

#include <QPixmap>

zxPushButton::zxPushButton(const QString& text, QWidget* parent) : QToolButton(parent)
{
    setText(text);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setState(false);
}

zxPushButton::zxPushButton(QWidget* parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void zxPushButton::setState(bool on)
{
    state = on;
    const QPixmap image(on ? QStringLiteral(":/buttons/on") : QStringLiteral(":/buttons/off"));
    setIconSize(image.size());
    setIcon(QIcon(image));
}
