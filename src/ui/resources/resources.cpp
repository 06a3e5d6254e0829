#include "ui/resources/resources.h"

#include <QtGlobal>

// The resource initialiser of a static library must be named from the global namespace.
static void initResourcesOfUi() {
    Q_INIT_RESOURCE(resources);
}

namespace boardcast {

void initUiResources() {
    initResourcesOfUi();
}

}  // namespace boardcast
