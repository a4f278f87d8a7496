#include "platform/Relogio.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace kov {

std::string TextoDataHoraLocal(const DataHoraLocal& m) {
    char b[64];
    std::snprintf(b, sizeof b, "%02u/%02u/%04d %02d:%02d:%02d", static_cast<unsigned>(m.data.day()),
                  static_cast<unsigned>(m.data.month()), static_cast<int>(m.data.year()), m.hora, m.minuto,
                  m.segundo);
    return b;
}

DataHoraLocal RelogioSistema::agora() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    using namespace std::chrono;
    return {year{tm.tm_year + 1900} / month{static_cast<unsigned>(tm.tm_mon + 1)} / day{static_cast<unsigned>(tm.tm_mday)},
            tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string RelogioSistema::definir(const DataHoraLocal& m) {
    // Os testes rodam os programas com a variável: o relógio da máquina nunca muda por eles
    if (std::getenv("KOV_NAO_ACERTAR_RELOGIO")) return "acerto desligado pela variável KOV_NAO_ACERTAR_RELOGIO";
    std::tm tm{};
    tm.tm_year = static_cast<int>(m.data.year()) - 1900;
    tm.tm_mon = static_cast<int>(static_cast<unsigned>(m.data.month())) - 1;
    tm.tm_mday = static_cast<int>(static_cast<unsigned>(m.data.day()));
    tm.tm_hour = m.hora;
    tm.tm_min = m.minuto;
    tm.tm_sec = m.segundo;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return "data e hora inválidas";
    timespec ts{t, 0};
    if (clock_settime(CLOCK_REALTIME, &ts) == 0) return {};
    if (errno == EPERM) return "o sistema não permite a este usuário acertar o relógio";
    return std::strerror(errno);
}

}  // namespace kov
