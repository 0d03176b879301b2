#pragma once

#include <QObject>

// Four values a diagnostic hook can fill; nothing reads them yet.
class Probe : public QObject
{
    Q_OBJECT
public:
    explicit Probe(QObject* parent = nullptr) : QObject(parent) {}

    // Stores first, second and fourth into values 1, 2 and 4.
    void setValues(double first, double second, int fourth);
    void setThird(double value);
    float value(int n) const { return n >= 1 && n <= 4 ? values[n - 1] : 0.0f; }

private:
    float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};
