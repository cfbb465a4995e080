#include "app/domain.h"

#include "app/controller.h"

namespace ZQ3 {

CDomain::CDomain()
    : model(std::make_shared<CModel>()), controller(std::make_shared<CController>(*this)) {}

CDomain::~CDomain() = default;

} // namespace ZQ3
