// Amounts in Chinese capitals (大写金额) as payment documents write them, exact from the
// integer amount, never through a double.
#pragma once

#include <QString>
#include <cstdint>

namespace capitals {

// The capitals of an amount in ten-thousandths, rounded to cents half away from zero:
// 1680.32 gives 壹仟陆佰捌拾元叁角贰分, 1004 壹仟零肆元整, 0.05 伍分, -12.3 负壹拾贰元叁角.
QString FromCurrency(std::int64_t tenThousandths);

// The capitals of a plain amount text such as an amount box's ShuZhi; empty when the text holds
// no number.
QString FromText(const QString& amount);

}  // namespace capitals
