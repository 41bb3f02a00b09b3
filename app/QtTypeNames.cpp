#include "app/QtTypeNames.h"

#include <cstring>

QString TQtTypeNames::translate(const char* context, const char* sourceText,
                                const char* disambiguation, int n) const {
    if (context == nullptr || std::strcmp(context, "QAbstractFileIconProvider") != 0)
        return {};
    return FQtBase.translate("QFileDialog", sourceText, disambiguation, n);
}
