#include "shell/tip_delay_style.h"

namespace quelmar::station {

int TipDelayStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                             QStyleHintReturn *returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay)
        return kWakeUpDelayMs;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

} // namespace quelmar::station
