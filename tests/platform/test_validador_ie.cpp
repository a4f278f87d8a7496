// Testes do validador de inscrição estadual ligado ao programa (ValidadorIE.cpp).
#include "platform/ValidadorIE.h"

#include <gtest/gtest.h>

using namespace kov;

// Exemplos do bloco de comentário de ValidadorIE.cpp.
TEST(ValidadorIE, ExemplosValidos) {
    for (const char* ie : {"1234567890107", "0010000000172", "9876543210979"})
        EXPECT_EQ(ConsisteInscricaoEstadual(ie, "QZ"), IE_VALIDA) << ie;
}

TEST(ValidadorIE, ExemplosInvalidos) {
    EXPECT_EQ(ConsisteInscricaoEstadual("1234567890108", "QZ"), IE_DIGITO_INVALIDO);    // dígito 13
    EXPECT_EQ(ConsisteInscricaoEstadual("1234567890117", "QZ"), IE_DIGITO_INVALIDO);    // dígito 12
    EXPECT_EQ(ConsisteInscricaoEstadual("123.456789.0107", "QZ"), IE_FORMATO_INVALIDO);  // pontuação
}

TEST(ValidadorIE, Formato) {
    for (const char* ie : {"", "123456789010", "12345678901070", "123456789010-7", "1234567890/07",
                           " 1234567890107", "1234567890107 ", "12345678901O7", "١٢٣٤٥٦٧٨٩٠١٠٧"})
        EXPECT_EQ(ConsisteInscricaoEstadual(ie, "QZ"), IE_FORMATO_INVALIDO) << ie;
}

TEST(ValidadorIE, CadaDigitoAlteradoInvalida) {
    const std::string valida = "9876543210979";
    for (size_t i = 0; i < valida.size(); ++i) {
        std::string ie = valida;
        ie[i] = static_cast<char>('0' + (ie[i] - '0' + 1) % 10);
        EXPECT_NE(ConsisteInscricaoEstadual(ie, "QZ"), IE_VALIDA) << ie;
    }
}

TEST(ValidadorIE, RestoMenorQueDoisDaZero) {
    // 12345678901: soma 254, resto 1 → dígito 12 = 0; 10000000000: soma 4 → 7.
    EXPECT_EQ(ConsisteInscricaoEstadual("1234567890107", "QZ"), IE_VALIDA);
    EXPECT_EQ(ConsisteInscricaoEstadual("1000000000073", "QZ"), IE_VALIDA);
    EXPECT_EQ(ConsisteInscricaoEstadual("0000000000000", "QZ"), IE_VALIDA);  // soma 0
}

TEST(ValidadorIE, Estado) {
    EXPECT_EQ(ConsisteInscricaoEstadual("1234567890107", "qz"), IE_VALIDA);
    EXPECT_EQ(ConsisteInscricaoEstadual("1234567890107", " QZ "), IE_VALIDA);
    EXPECT_EQ(ConsisteInscricaoEstadual("1234567890107", "SP"), IE_UF_NAO_SUPORTADA);
    EXPECT_EQ(ConsisteInscricaoEstadual("1234567890107", ""), IE_UF_NAO_SUPORTADA);
    EXPECT_EQ(ConsisteInscricaoEstadual("123", "SP"), IE_UF_NAO_SUPORTADA);
    // Códigos distintos e diferentes de zero.
    EXPECT_NE(IE_FORMATO_INVALIDO, IE_DIGITO_INVALIDO);
    EXPECT_NE(IE_DIGITO_INVALIDO, IE_UF_NAO_SUPORTADA);
    EXPECT_NE(IE_FORMATO_INVALIDO, IE_UF_NAO_SUPORTADA);
}

namespace {
int sempreUm(const std::string&, const std::string&) { return 1; }
}  // namespace

TEST(ValidadorIE, PontoDeTroca) {
    EXPECT_EQ(ValidadorIEAtual(), &ConsisteInscricaoEstadual);
    FuncaoValidadorIE anterior = DefinirValidadorIE(&sempreUm);
    EXPECT_EQ(anterior, &ConsisteInscricaoEstadual);
    EXPECT_EQ(ValidadorIEAtual(), &sempreUm);
    DefinirValidadorIE(nullptr);  // restaura o padrão
    EXPECT_EQ(ValidadorIEAtual(), &ConsisteInscricaoEstadual);
}
