#pragma once
// O relógio do computador: ler a data e a hora locais e acertá-las. Acertar o relógio é um
// ato privilegiado no Linux; a recusa do sistema volta como texto, não como erro.
#include <chrono>
#include <string>

namespace kov {

struct DataHoraLocal {
    std::chrono::year_month_day data;
    int hora = 0, minuto = 0, segundo = 0;
    bool operator==(const DataHoraLocal&) const = default;
};

// "dd/mm/aaaa hh:mm:ss"
std::string TextoDataHoraLocal(const DataHoraLocal& m);

class Relogio {
public:
    virtual ~Relogio() = default;
    virtual DataHoraLocal agora() = 0;
    // Acerta o relógio local; vazio quando acertou, senão o motivo da recusa.
    virtual std::string definir(const DataHoraLocal& momento) = 0;
};

// O relógio do sistema (localtime_r e clock_settime). Com a variável de ambiente
// KOV_NAO_ACERTAR_RELOGIO o acerto é sempre recusado (testes e demonstrações).
class RelogioSistema : public Relogio {
public:
    DataHoraLocal agora() override;
    std::string definir(const DataHoraLocal& momento) override;
};

}  // namespace kov
