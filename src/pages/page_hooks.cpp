#include "pages/page_hooks.h"

namespace pages {

PageHooks& NoPage() {
    static PageHooks none;
    return none;
}

}  // namespace pages
