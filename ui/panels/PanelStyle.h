#pragma once

class QWidget;

// A bar of a receiver panel: a widget painted in the panels' dark olive.
QWidget* makePanelBar(QWidget* parent);
