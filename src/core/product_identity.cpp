#include "core/product_identity.h"

namespace boardcast {

const ProductIdentity& productIdentity() {
    static const ProductIdentity identity{
        "Boardcast", "Quillfen", "www.quillfen.example",
        BOARDCAST_VERSION_MAJOR, BOARDCAST_VERSION_MINOR, false};
    return identity;
}

}  // namespace boardcast
