#pragma once

// Header-only: used by the test programs that link Qt Widgets.

#include <QPushButton>
#include <QStringList>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

// The push button among parent's children that shows text; null when there is none.
inline QPushButton* buttonWithText(const QWidget& parent, const QString& text)
{
    for (QPushButton* b : parent.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// The targets of every link in a text view, in order.
inline QStringList linkTargets(const QTextBrowser& view)
{
    QStringList hrefs;
    for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                hrefs << it.fragment().charFormat().anchorHref();
    return hrefs;
}
