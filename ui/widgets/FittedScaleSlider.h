#pragma once

#include <qwt_slider.h>

// A Qwt slider whose scale labels only as many ticks as its length has room
// for. The scale step and major-tick count set on it are what is asked; when
// their labels would run into each other at the slider's current length, the
// slider lets Qwt choose a coarser round step instead, and comes back to the
// asked step once it is tall enough again.
class FittedScaleSlider : public QwtSlider
{
public:
    explicit FittedScaleSlider(QWidget* parent = nullptr);

    // Takes the scale step and major-tick count now set on the slider as the
    // asked ones, then fits them to the length it has.
    void adoptAskedScale();

    double askedStep() const { return m_askedStep; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitLabels();
    // Whether two neighbouring labels of the scale now drawn overlap.
    bool labelsCollide() const;

    double m_askedStep = 0;
    int m_askedMaxMajor = 5;
};
