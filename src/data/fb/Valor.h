#pragma once
// Valor de um parâmetro ou de uma coluna lida da base.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "data/Dinheiro.h"

namespace kov::fb {

using Data = std::chrono::year_month_day;

struct DataHora {
    Data data;
    int hora = 0, minuto = 0, segundo = 0;
};

class Valor {
public:
    enum class Tipo { Nulo, Texto, Inteiro, Dupla, Data, DataHora, Binario, Logico };

    Valor() = default;
    Valor(std::nullptr_t) {}
    Valor(const char* s) : tipo_(Tipo::Texto), texto_(s) {}
    Valor(std::string s) : tipo_(Tipo::Texto), texto_(std::move(s)) {}
    Valor(int v) : tipo_(Tipo::Inteiro), inteiro_(v) {}
    Valor(int64_t v, int escala = 0) : tipo_(Tipo::Inteiro), inteiro_(v), escala_(escala) {}
    Valor(Dinheiro d) : tipo_(Tipo::Inteiro), inteiro_(d.centavos()), escala_(-2) {}
    Valor(double v) : tipo_(Tipo::Dupla), dupla_(v) {}
    Valor(Data d) : tipo_(Tipo::Data), dataHora_{d, 0, 0, 0} {}
    Valor(DataHora d) : tipo_(Tipo::DataHora), dataHora_(d) {}
    Valor(bool b) : tipo_(Tipo::Logico), inteiro_(b ? 1 : 0) {}
    static Valor binario(std::string bytes) { Valor v(std::move(bytes)); v.tipo_ = Tipo::Binario; return v; }
    template <class T> Valor(const std::optional<T>& o) { if (o) *this = Valor(*o); }

    Tipo tipo() const { return tipo_; }
    bool nulo() const { return tipo_ == Tipo::Nulo; }
    int escala() const { return escala_; }

    // Conversões; um valor nulo dá texto vazio, zero ou data inválida.
    std::string texto() const;
    int64_t inteiro() const;        // trunca a parte decimal
    Dinheiro dinheiro() const;      // exato até 2 casas; mais casas: meio-para-par
    double dupla() const;
    Data data() const;
    DataHora dataHora() const;
    const std::string& bytes() const { return texto_; }  // Texto ou Binario, sem conversão
    int64_t escalado() const { return inteiro_; }        // Inteiro: valor bruto na escala()

    bool operator==(const Valor& o) const;

private:
    Tipo tipo_ = Tipo::Nulo;
    std::string texto_;
    int64_t inteiro_ = 0;
    int escala_ = 0;
    double dupla_ = 0;
    DataHora dataHora_{};
};

// Texto "dd/mm/aaaa" de uma data.
std::string formatarData(const Data& d);

}  // namespace kov::fb
