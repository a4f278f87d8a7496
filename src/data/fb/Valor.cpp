#include "data/fb/Valor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace kov::fb {

namespace {
int64_t potencia10(int n) {
    int64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}
}  // namespace

std::string formatarData(const Data& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u/%02u/%04d", static_cast<unsigned>(d.day()),
                  static_cast<unsigned>(d.month()), static_cast<int>(d.year()));
    return buf;
}

std::string Valor::texto() const {
    switch (tipo_) {
        case Tipo::Nulo: return {};
        case Tipo::Texto:
        case Tipo::Binario: return texto_;
        case Tipo::Logico: return inteiro_ ? "true" : "false";
        case Tipo::Inteiro: {
            if (escala_ >= 0) return std::to_string(inteiro_ * potencia10(escala_));
            const int64_t p = potencia10(-escala_);
            const bool neg = inteiro_ < 0;
            const uint64_t a = neg ? 0 - static_cast<uint64_t>(inteiro_) : static_cast<uint64_t>(inteiro_);
            std::string frac = std::to_string(a % static_cast<uint64_t>(p));
            while (static_cast<int>(frac.size()) < -escala_) frac = "0" + frac;
            return (neg ? "-" : "") + std::to_string(a / static_cast<uint64_t>(p)) + "." + frac;
        }
        case Tipo::Dupla: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.15g", dupla_);
            return buf;
        }
        case Tipo::Data: return formatarData(dataHora_.data);
        case Tipo::DataHora: {
            char buf[16];
            std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", dataHora_.hora, dataHora_.minuto, dataHora_.segundo);
            return formatarData(dataHora_.data) + buf;
        }
    }
    return {};
}

int64_t Valor::inteiro() const {
    switch (tipo_) {
        case Tipo::Nulo: return 0;
        case Tipo::Inteiro:
        case Tipo::Logico:
            return escala_ >= 0 ? inteiro_ * potencia10(escala_) : inteiro_ / potencia10(-escala_);
        case Tipo::Dupla: return static_cast<int64_t>(dupla_);
        case Tipo::Texto: {
            try {
                size_t pos = 0;
                long long v = std::stoll(texto_, &pos);
                return v;
            } catch (...) {
                throw std::invalid_argument("'" + texto_ + "' não é um valor inteiro válido");
            }
        }
        default: throw std::invalid_argument("valor não é inteiro");
    }
}

Dinheiro Valor::dinheiro() const {
    switch (tipo_) {
        case Tipo::Nulo: return {};
        case Tipo::Inteiro: return Dinheiro::deEscalado(inteiro_, escala_);
        case Tipo::Dupla: return Dinheiro::deCentavos(static_cast<int64_t>(std::nearbyint(dupla_ * 100)));
        case Tipo::Texto: return Dinheiro::deTexto(texto_);
        default: throw std::invalid_argument("valor não é monetário");
    }
}

double Valor::dupla() const {
    switch (tipo_) {
        case Tipo::Nulo: return 0;
        case Tipo::Dupla: return dupla_;
        case Tipo::Inteiro: return static_cast<double>(inteiro_) / static_cast<double>(potencia10(-std::min(escala_, 0))) *
                                   static_cast<double>(potencia10(std::max(escala_, 0)));
        case Tipo::Texto: return std::stod(texto_);
        default: throw std::invalid_argument("valor não é numérico");
    }
}

Data Valor::data() const {
    if (tipo_ == Tipo::Data || tipo_ == Tipo::DataHora) return dataHora_.data;
    if (tipo_ == Tipo::Nulo) return Data{};
    throw std::invalid_argument("valor não é data");
}

DataHora Valor::dataHora() const {
    if (tipo_ == Tipo::Data || tipo_ == Tipo::DataHora) return dataHora_;
    if (tipo_ == Tipo::Nulo) return DataHora{};
    throw std::invalid_argument("valor não é data e hora");
}

bool Valor::operator==(const Valor& o) const {
    if (tipo_ != o.tipo_) return false;
    switch (tipo_) {
        case Tipo::Nulo: return true;
        case Tipo::Texto:
        case Tipo::Binario: return texto_ == o.texto_;
        case Tipo::Inteiro: {
            // Mesmo número em escalas diferentes (1,5 e 1,50) é igual: leva o de escala maior
            // à escala do outro, sem passar por texto. Se não cabe em 64 bits, não é o outro.
            if (escala_ == o.escala_) return inteiro_ == o.inteiro_;
            const bool euMaior = escala_ > o.escala_;
            int64_t a = euMaior ? inteiro_ : o.inteiro_;
            const int64_t b = euMaior ? o.inteiro_ : inteiro_;
            for (int e = std::abs(escala_ - o.escala_); e > 0; --e)
                if (__builtin_mul_overflow(a, int64_t{10}, &a)) return false;
            return a == b;
        }
        case Tipo::Logico: return inteiro_ == o.inteiro_;
        case Tipo::Dupla: return dupla_ == o.dupla_;
        case Tipo::Data: return dataHora_.data == o.dataHora_.data;
        case Tipo::DataHora:
            return dataHora_.data == o.dataHora_.data && dataHora_.hora == o.dataHora_.hora &&
                   dataHora_.minuto == o.dataHora_.minuto && dataHora_.segundo == o.dataHora_.segundo;
    }
    return false;
}

}  // namespace kov::fb
