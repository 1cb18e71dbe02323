#include "bottling_gravity.h"

#include "brewing_constants.h"
#include "calc_failure.h"
#include "checked_math.h"
#include "display_format.h"
#include "number_text.h"

#include <QCoreApplication>

namespace hopsmeld {

namespace {

QString cantConvert() {
    return QCoreApplication::translate("BottlingGravity", "Can't convert");
}

double volumeToWeight(double volume) {
    return checkedDivide(volume, kVolumeFactor);
}
double volumeToYieldWeight(double volume) {
    return checkedDivide(checkedDivide(volume, kVolumeFactor), kPercent);
}
double weightToVolume(double weight) {
    return checkedMultiply(weight, kVolumeFactor);
}
double weightToYieldWeight(double weight) {
    return checkedDivide(weight, kPercent);
}

} // namespace

BottlingGravity::BottlingGravity(Boxes boxes, CalcHost& host, QLocale locale)
    : boxes_(boxes), host_(host), locale_(std::move(locale)) {}

void BottlingGravity::mirror(TextBox& typed, TextBox& mirrored, Conversion toMirror) {
    runCalcHandler(
        [&] {
            mirrored.setText(numberToText(toMirror(textToNumber(typed.text(), locale_)), locale_));
            mirrored.setText(formatText(mirrored.text(), DisplayPattern::TwoDecimals, locale_));
        },
        [&] { mirrored.setText(cantConvert()); });
}

void BottlingGravity::txt6Change() {
    typed_ = &boxes_.txt6;
    mirror(boxes_.txt6, boxes_.txt7, volumeToWeight);
}

void BottlingGravity::txt7Change() {
    typed_ = &boxes_.txt7;
    mirror(boxes_.txt7, boxes_.txt6, weightToVolume);
}

double BottlingGravity::YieldWeight() const {
    if (!typed_)
        throw CalcFailure(TypeMismatch);
    const double typed = textToNumber(typed_->text(), locale_);
    return typed_ == &boxes_.txt6 ? volumeToYieldWeight(typed) : weightToYieldWeight(typed);
}

void BottlingGravity::Cmd4Click() {
    runCalcHandler(
        [this] {
            const QString originalText = boxes_.txt5.text();
            const double gravityDrop = checkedDivide(YieldWeight(), kWeightFactor);
            const double og = textToNumber(originalText, locale_);
            boxes_.txt8.setText(numberToText(checkedSubtract(og, gravityDrop), locale_));
            boxes_.txt8.setText(
                formatText(boxes_.txt8.text(), DisplayPattern::ThreeDecimals, locale_));
            host_.playCue();
        },
        [this] { host_.showTypeMismatch(); });
}

void BottlingGravity::Cmd5Click() {
    for (TextBox* box : {&boxes_.txt5, &boxes_.txt6, &boxes_.txt7, &boxes_.txt8})
        box->setText(QString());
    typed_ = nullptr;
}

} // namespace hopsmeld
