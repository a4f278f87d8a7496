#include "platform/MotorEmbutido.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <string>

namespace kov {

void PrepararMotorEmbutido() {
    static std::once_flag uma;
    std::call_once(uma, [] {
        if (std::getenv("FIREBIRD_LOCK")) return;
        const char* padrao = "/tmp/firebird";
        struct stat st {};
        if (::stat(padrao, &st) != 0) return;                     // o motor cria a pasta
        if (::access(padrao, W_OK | X_OK) == 0) return;           // pode gravar: nada a fazer
        const std::string propria = std::string(padrao) + "-" + std::to_string(::getuid());
        ::mkdir(propria.c_str(), 0700);
        if (::access(propria.c_str(), W_OK | X_OK) == 0) ::setenv("FIREBIRD_LOCK", propria.c_str(), 0);
    });
}

}  // namespace kov
