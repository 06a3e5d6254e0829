#include "core/shell/product_identity.h"

#include <gtest/gtest.h>

namespace boardcast {
namespace {

TEST(ProductIdentity, ReverseDomainId) {
    struct Row {
        const char* webSite;
        const char* name;
        const char* id;
    };
    const Row rows[] = {
        {"www.maker.example", "Tool", "example.maker.Tool"},
        {"maker.example", "Tool", "example.maker.Tool"},
        {"www.shop.maker.co.uk", "Tool", "uk.co.maker.shop.Tool"},
        {"maker..example.", "Tool", "example.maker.Tool"},
        {"", "Tool", "Tool"},
    };
    for (const Row& r : rows) EXPECT_EQ(reverseDomainId(r.webSite, r.name), r.id) << r.webSite;
}

// The build names the installed desktop entry, icons and metadata with the app id; it must
// be the one the makers' web site gives, or the desktop would not match the running program
// with its entry.
TEST(ProductIdentity, AppIdComesFromTheMakersWebSite) {
    const ProductIdentity& identity = productIdentity();
    EXPECT_EQ(identity.appId, reverseDomainId(identity.webSiteText, identity.productName));
}

}  // namespace
}  // namespace boardcast
