#include "ui/widgets/LayoutPanels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// Panel titles: yellow on black in a yellow frame.
const char* const kPanelTitleStyle =
    "QLabel { background-color : black; color : yellow; border: 1px solid yellow;}";

QLabel* makeTitle(const QString& title, QWidget* parent)
{
    auto* label = new QLabel(title, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QString::fromLatin1(kPanelTitleStyle));
    return label;
}

} // namespace

HorizontalLayoutPanel::HorizontalLayoutPanel(const QString& title, QWidget* parent) : QWidget(parent)
{
    QWidget* content = this;
    if (!title.isEmpty()) {
        auto* outer = new QVBoxLayout(this);
        outer->setContentsMargins(1, 1, 1, 1);
        outer->addWidget(makeTitle(title, this));
        content = new QWidget(this);
        outer->addWidget(content);
    }
    contentLayout = new QHBoxLayout(content);
    contentLayout->setAlignment(Qt::AlignLeft);
    contentLayout->setContentsMargins(1, 1, 1, 1);
}

void HorizontalLayoutPanel::addWidget(QWidget* w)
{
    contentLayout->addWidget(w);
}

VerticalLayoutPanel::VerticalLayoutPanel(const QString& title, QWidget* parent) : QWidget(parent)
{
    contentLayout = new QVBoxLayout(this);
    contentLayout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    contentLayout->setContentsMargins(1, 1, 1, 1);
    if (!title.isEmpty())
        contentLayout->addWidget(makeTitle(title, this));
}

void VerticalLayoutPanel::addWidget(QWidget* w)
{
    contentLayout->addWidget(w);
}
