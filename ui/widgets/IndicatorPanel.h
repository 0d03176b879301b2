#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

class IndicatorWidget;

// A grid of indicator dials, two per row, one per named index of the settings
// group "Indicators" ("count", "I<n>_Name"). Values arrive by index (accessory)
// or by name (remote server).
class IndicatorPanel : public QWidget
{
    Q_OBJECT
public:
    // More indices than this are refused: the count comes from a file the user edits.
    static constexpr int MaxIndicators = 256;

    explicit IndicatorPanel(QWidget* parent = nullptr);

    // The configured count, indices without a name included.
    int indicatorCount() const { return count; }
    IndicatorWidget* dialAt(int index) const { return dialsByIndex.value(index); }
    IndicatorWidget* dialNamed(const QString& name) const { return dialsByName.value(name); }

public slots:
    void SLOT_updateIndicator(int indicator_code, int indicator_value);
    void SLOT_updateIndicatorValue(QString name, double value);

private:
    void readSettings();
    void addDial(int index, const QString& name);

    int count = 0;
    QHash<QString, IndicatorWidget*> dialsByName;
    QHash<int, QString> namesByIndex;
    QHash<int, IndicatorWidget*> dialsByIndex;
    int gridColumn = 0;
    int gridRow = 0;
};
