#pragma once
// The message texts of one module, so each lookup names its module once:
//   const MLText T{ctx.ml, QStringLiteral("CommUtil")};
//   T(QStringLiteral("找不到此通訊埠。"), 1, 102)
// Written with literal arguments, as GetMLText calls are, so the text coverage check reads them.
#include "ml/MLUtil.h"

class MLText {
public:
    MLText(const MLState& ml, QString module) : m_ml(ml), m_module(std::move(module)) {}
    QString operator()(const QString& defaultText, int index, int messageNo) const {
        return GetMLText(m_ml, defaultText, index, messageNo, m_module);
    }

private:
    const MLState& m_ml;
    QString m_module;
};
