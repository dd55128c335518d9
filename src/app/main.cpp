#include "app/application.h"
#include "update/http_client.h"

int main(int argc, char** argv) {
    // libcurl's global set-up is not thread-safe: before any thread exists.
    update::InitHttpGlobally();
    return app::RunApplication(argc, argv);
}
