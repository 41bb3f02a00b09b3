#include "search/CustomCriteria.h"

#include "util/Exceptions.h"

namespace pictavo {

void TCustomCriteria::Assign(const TCustomCriteria& source) {
    throw EConvertError(Format("Cannot assign a %s to a %s", source.ClassName(), ClassName()));
}

} // namespace pictavo
