#pragma once
// Valor monetário exato em centavos (NUMERIC(15,2) da base).
// Somas são exatas; arredondamentos para inteiro e multiplicações usam
// meio-para-par sobre o valor exato, como exige a apuração.
#include <compare>
#include <cstdint>
#include <string>

namespace kov {

class Dinheiro {
public:
    constexpr Dinheiro() = default;
    static constexpr Dinheiro deCentavos(int64_t c) { Dinheiro d; d.c_ = c; return d; }
    static constexpr Dinheiro deReais(int64_t r) { return deCentavos(r * 100); }
    // Converte um valor com 'escala' casas decimais (escala <= 0, como o Firebird descreve),
    // arredondando meio-para-par quando houver mais de 2 casas.
    static Dinheiro deEscalado(int64_t valor, int escala);
    // Aceita "1234", "1234,56", "1.234,56", "-12,5", "1234.56" (ponto decimal só quando não há vírgula
    // e há no máximo 2 dígitos depois do ponto). Lança std::invalid_argument se não for número.
    static Dinheiro deTexto(const std::string& texto);

    constexpr int64_t centavos() const { return c_; }

    constexpr Dinheiro operator+(Dinheiro o) const { return deCentavos(c_ + o.c_); }
    constexpr Dinheiro operator-(Dinheiro o) const { return deCentavos(c_ - o.c_); }
    constexpr Dinheiro operator-() const { return deCentavos(-c_); }
    Dinheiro& operator+=(Dinheiro o) { c_ += o.c_; return *this; }
    Dinheiro& operator-=(Dinheiro o) { c_ -= o.c_; return *this; }
    constexpr auto operator<=>(const Dinheiro&) const = default;

    // Multiplica por numerador/denominador e arredonda meio-para-par em centavos.
    Dinheiro multiplicar(int64_t numerador, int64_t denominador) const;
    // r0: arredonda para reais inteiros, meio-para-par.
    Dinheiro arredondadoInteiro() const;

    // "#,##0": milhar com ".", sem decimais (arredonda meio-para-par para exibir).
    std::string formatado() const;
    // Texto com duas casas e vírgula decimal, sem separador de milhar: "1234,50".
    std::string textoDecimal() const;

private:
    int64_t c_ = 0;
};

// Divide com arredondamento meio-para-par (denominador > 0).
int64_t dividirMeioParaPar(int64_t numerador, int64_t denominador);

}  // namespace kov
