#include "data/Dinheiro.h"

#include <cctype>
#include <stdexcept>

namespace kov {

int64_t dividirMeioParaPar(int64_t n, int64_t d) {
    if (d <= 0) throw std::invalid_argument("divisor deve ser positivo");
    int64_t q = n / d;
    int64_t r = n % d;
    if (r == 0) return q;
    // Normaliza para q = piso(n/d), r >= 0
    if (r < 0) { q -= 1; r += d; }
    const int64_t dobro = 2 * r;
    if (dobro > d || (dobro == d && (q % 2 != 0))) q += 1;
    return q;
}

Dinheiro Dinheiro::deEscalado(int64_t valor, int escala) {
    if (escala == -2) return deCentavos(valor);
    if (escala > -2) {
        int64_t v = valor;
        for (int e = escala; e > -2; --e) v *= 10;
        return deCentavos(v);
    }
    int64_t d = 1;
    for (int e = escala; e < -2; ++e) d *= 10;
    return deCentavos(dividirMeioParaPar(valor, d));
}

Dinheiro Dinheiro::deTexto(const std::string& textoOriginal) {
    std::string t;
    for (char ch : textoOriginal)
        if (!std::isspace(static_cast<unsigned char>(ch))) t += ch;
    if (t.empty()) throw std::invalid_argument("valor vazio");
    bool negativo = false;
    size_t i = 0;
    if (t[0] == '-' || t[0] == '+') { negativo = t[0] == '-'; i = 1; }
    const bool temVirgula = t.find(',') != std::string::npos;
    int64_t inteiro = 0, frac = 0;
    int casas = 0;
    bool naFracao = false, algumDigito = false;
    for (; i < t.size(); ++i) {
        char ch = t[i];
        if (std::isdigit(static_cast<unsigned char>(ch))) {
            algumDigito = true;
            if (naFracao) {
                if (++casas > 2) throw std::invalid_argument("mais de duas casas decimais: " + textoOriginal);
                frac = frac * 10 + (ch - '0');
            } else {
                if (inteiro > 9'000'000'000'000'000LL / 10) throw std::invalid_argument("valor grande demais");
                inteiro = inteiro * 10 + (ch - '0');
            }
        } else if (ch == ',' && !naFracao) {
            naFracao = true;
        } else if (ch == '.' && !naFracao) {
            if (!temVirgula) {
                // ponto como separador decimal quando seguido de 1 ou 2 dígitos apenas
                const size_t resto = t.size() - i - 1;
                if (resto <= 2 && t.find('.', i + 1) == std::string::npos) { naFracao = true; continue; }
            }
            // separador de milhar
        } else {
            throw std::invalid_argument("valor inválido: " + textoOriginal);
        }
    }
    if (!algumDigito) throw std::invalid_argument("valor inválido: " + textoOriginal);
    if (casas == 1) frac *= 10;
    const int64_t c = inteiro * 100 + frac;
    return deCentavos(negativo ? -c : c);
}

Dinheiro Dinheiro::multiplicar(int64_t numerador, int64_t denominador) const {
    __int128 p = static_cast<__int128>(c_) * numerador;
    if (denominador <= 0) throw std::invalid_argument("denominador deve ser positivo");
    __int128 q = p / denominador, r = p % denominador;
    if (r != 0) {
        if (r < 0) { q -= 1; r += denominador; }
        const __int128 dobro = 2 * r;
        if (dobro > denominador || (dobro == denominador && (q % 2 != 0))) q += 1;
    }
    return deCentavos(static_cast<int64_t>(q));
}

Dinheiro Dinheiro::arredondadoInteiro() const { return deCentavos(dividirMeioParaPar(c_, 100) * 100); }

std::string Dinheiro::formatado() const {
    int64_t reais = dividirMeioParaPar(c_, 100);
    const bool neg = reais < 0;
    uint64_t a = neg ? static_cast<uint64_t>(-(reais + 1)) + 1 : static_cast<uint64_t>(reais);
    std::string dig = std::to_string(a);
    std::string out;
    int n = 0;
    for (auto it = dig.rbegin(); it != dig.rend(); ++it) {
        if (n && n % 3 == 0) out.insert(out.begin(), '.');
        out.insert(out.begin(), *it);
        ++n;
    }
    return neg ? "-" + out : out;
}

std::string Dinheiro::textoDecimal() const {
    const bool neg = c_ < 0;
    uint64_t a = neg ? static_cast<uint64_t>(-(c_ + 1)) + 1 : static_cast<uint64_t>(c_);
    std::string frac = std::to_string(a % 100);
    if (frac.size() < 2) frac = "0" + frac;
    return (neg ? "-" : "") + std::to_string(a / 100) + "," + frac;
}

}  // namespace kov
