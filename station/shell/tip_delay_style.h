// The style of the tool buttons: their tips come up 100 ms after the pointer rests on a
// button, where Qt waits 700 ms.
#pragma once

#include <QProxyStyle>

namespace quelmar::station {

class TipDelayStyle : public QProxyStyle {
public:
    static constexpr int kWakeUpDelayMs = 100;

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};

} // namespace quelmar::station
