// Validador de inscrição estadual (substitui DllInscE32.Dll).
//
// Regra do estado "QZ" (o estado da casa; é o único que o sistema valida):
//
//   - A inscrição tem exatamente 13 caracteres, todos dígitos 0..9. Qualquer outra
//     coisa (pontuação ".", "-", "/", brancos, letras, 12 ou 14 dígitos) dá
//     IE_FORMATO_INVALIDO (1): a base guarda a inscrição como 13 dígitos sem máscara.
//   - Os dígitos 12 e 13 são verificadores, ambos pelo módulo 11:
//       * dígito 12: sobre os dígitos 1 a 11; pesos 2,3,4,5,6,7,8,9 aplicados da direita
//         para a esquerda (o dígito 11 tem peso 2, o 10 peso 3, ..., o 4 peso 9) e, ao
//         passar de 9, o ciclo recomeça em 2 (o dígito 3 tem peso 2, o 2 peso 3, o 1 peso 4);
//         soma S, resto r = S mod 11, dígito = 0 se r < 2, senão 11 - r;
//       * dígito 13: a mesma conta sobre os dígitos 1 a 12 (o dígito 12 com peso 2).
//     Dígito que não confere dá IE_DIGITO_INVALIDO (2).
//   - A sigla do estado é comparada sem distinguir maiúsculas e sem brancos em volta.
//     Qualquer estado diferente de "QZ" dá IE_UF_NAO_SUPORTADA (3).
//   - Observação: pela regra, "0000000000000" é válida (soma 0 → dígitos 0).
//
// Exemplo da conta para 12345678901:
//   1·4 + 2·3 + 3·2 + 4·9 + 5·8 + 6·7 + 7·6 + 8·5 + 9·4 + 0·3 + 1·2 = 254;
//   254 mod 11 = 1 → dígito 12 = 0.
//   Para 123456789010: soma 268; 268 mod 11 = 4 → dígito 13 = 11 - 4 = 7.
//   Inscrição completa: 1234567890107.
//
// Inscrições válidas (QZ):   1234567890107   0010000000172   9876543210979
// Inscrições inválidas (QZ): 1234567890108   (dígito 13 errado → 2)
//                            1234567890117   (dígito 12 errado → 2)
//                            123.456789.0107 (pontuação / não são 13 dígitos → 1)
// A inscrição válida 1234567890107 com o estado "SP" dá 3.
#include "platform/ValidadorIE.h"

#include <cctype>

namespace kov {

namespace {

int digitoModulo11(const std::string& digitos) {
    int soma = 0;
    int peso = 2;
    for (auto it = digitos.rbegin(); it != digitos.rend(); ++it) {
        soma += (*it - '0') * peso;
        peso = (peso == 9) ? 2 : peso + 1;
    }
    const int r = soma % 11;
    return r < 2 ? 0 : 11 - r;
}

std::string siglaNormalizada(const std::string& uf) {
    std::string s;
    for (char c : uf)
        if (!std::isspace(static_cast<unsigned char>(c))) s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

int validarQZ(const std::string& ie) {
    if (ie.size() != 13) return IE_FORMATO_INVALIDO;
    for (char c : ie)
        if (c < '0' || c > '9') return IE_FORMATO_INVALIDO;
    if (digitoModulo11(ie.substr(0, 11)) != ie[11] - '0') return IE_DIGITO_INVALIDO;
    if (digitoModulo11(ie.substr(0, 12)) != ie[12] - '0') return IE_DIGITO_INVALIDO;
    return IE_VALIDA;
}

FuncaoValidadorIE validadorAtual = &ConsisteInscricaoEstadual;

}  // namespace

int ConsisteInscricaoEstadual(const std::string& inscricao, const std::string& uf) {
    if (siglaNormalizada(uf) == "QZ") return validarQZ(inscricao);
    return IE_UF_NAO_SUPORTADA;
}

FuncaoValidadorIE DefinirValidadorIE(FuncaoValidadorIE f) {
    FuncaoValidadorIE anterior = validadorAtual;
    validadorAtual = f ? f : &ConsisteInscricaoEstadual;
    return anterior;
}

FuncaoValidadorIE ValidadorIEAtual() { return validadorAtual; }

}  // namespace kov
