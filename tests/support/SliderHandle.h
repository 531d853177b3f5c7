#pragma once

#include <QPoint>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

// Where the slider's thumb is drawn for its current position, in slider coordinates: the
// point a test or benchmark presses to drag it as a user would.
inline QPoint HandleCentre(QSlider* slider) {
    QStyleOptionSlider opt;
    opt.initFrom(slider);
    opt.subControls = QStyle::SC_All;
    opt.orientation = slider->orientation();
    opt.minimum = slider->minimum();
    opt.maximum = slider->maximum();
    opt.sliderPosition = slider->sliderPosition();
    opt.sliderValue = slider->value();
    opt.singleStep = slider->singleStep();
    opt.pageStep = slider->pageStep();
    opt.upsideDown = !slider->invertedAppearance();
    opt.tickPosition = slider->tickPosition();
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider)
        .center();
}
