#pragma once
// A cifra dos dados dos arquivos de declaração: chaves RSA de 128 bits guardadas em
// PublicKey.dat e PrivateKey.dat, o bloco RSA do formato (5 bytes de dados por bloco de 16,
// números em little-endian, enchimento aleatório de 1 a 253), o Base64 numa linha só e as
// duas operações de texto, CifrarTexto e DecifrarTexto.
//
// O tamanho de 128 bits é o do formato que a administração lê: não é uma escolha nossa e
// não deve ser "melhorado" (um arquivo cifrado com outra chave não seria lido por ela).
#include <string>
#include <vector>

#include "platform/Interacao.h"

namespace kov {

// Erro de uma operação de cifra, com o texto em inglês do formato ("Invalid RSA Key",
// "RSA decoding error: Block too small", "Invalid Base64 Character"...).
class ErroCifra : public ErroSistema {
public:
    using ErroSistema::ErroSistema;
};

extern const char* const ARQUIVO_CHAVE_PUBLICA;  // "PublicKey.dat"
extern const char* const ARQUIVO_CHAVE_PRIVADA;  // "PrivateKey.dat"
constexpr size_t TAMANHO_MAXIMO_ARQUIVO_CHAVE = 4097;
constexpr size_t BYTES_POR_BLOCO_CLARO = 5;    // 16 − 11
constexpr size_t BYTES_POR_BLOCO_CIFRADO = 16;

// Uma chave: o módulo e o expoente (público ou privado), cada um em big-endian, sem zeros
// à esquerda.
struct ChaveRSA {
    std::string modulo, expoente;
    bool operator==(const ChaveRSA&) const = default;
};

// Arquivo de chave: SEQUENCE com dois INTEGER (módulo, expoente), conteúdo dos INTEGER em
// little-endian; quando o primeiro byte do conteúdo passa de 0x80 um 0x00 vai à frente dele.
// A leitura lança ErroCifra("Invalid Asymmetric Key") para a estrutura externa (tamanho,
// SEQUENCE, comprimento) e ErroCifra("Invalid RSA Key") para os números (INTEGER mal
// formado, módulo que não tem 128 bits ou é par, expoente fora de 1..módulo−1).
ChaveRSA LerChaveRSA(const std::string& bytesDoArquivo);
std::string CodificarChaveRSA(const ChaveRSA& chave);

struct ParChavesRSA {
    ChaveRSA publica, privada;
};
// Um par novo: módulo de 128 bits produto de dois primos de 64 bits, expoente público 65537.
ParChavesRSA GerarParChavesRSA();
// Grava PublicKey.dat e PrivateKey.dat na pasta (cada um por troca atômica).
void GravarParChavesRSA(const ParChavesRSA& par, const std::string& pasta);

// Cifra bloco a bloco: n bytes dão 16 × ⌈n / 5⌉ bytes, e o texto vazio um bloco de 16.
std::string CifrarBytes(const std::string& claro, const ChaveRSA& publica);
// Decifra blocos de 16 bytes; lança ErroCifra com o erro de decodificação RSA. Com a chave
// pública do mesmo par, a conta usa os primos do módulo (mesmo resultado, mais rápido).
std::string DecifrarBytes(const std::string& cifrado, const ChaveRSA& privada, const ChaveRSA* publica = nullptr);
// Verdadeiro quando a decifração com esse par usa os primos: os dois cabem em 64 bits e a conta
// por eles confere com a direta.
bool DecifraPelosPrimos(const ChaveRSA& privada, const ChaveRSA& publica);

// O RSA cru de um bloco: os bytes little-endian elevados ao expoente da chave, módulo o
// módulo, em 16 bytes little-endian. Usado para montar blocos de teste.
std::string ExponenciarBloco(const std::string& le, const ChaveRSA& chave);

// Base64 padrão com "=", numa linha só.
std::string CodificarBase64(const std::string& bytes);
// Decodificador estrito: só o alfabeto padrão em grupos de quatro, "=" só no fim; qualquer
// outro caractere, quebras de linha inclusive, lança ErroCifra("Invalid Base64 Character").
std::string DecodificarBase64(const std::string& texto);

// As linhas (cada uma seguida de CR LF, como bytes de 8 bits) cifradas com a chave
// pública, em Base64, sem brancos nas pontas. Lê as duas chaves da pasta a cada chamada e
// lança ErroCifra com o texto do erro. O escritor de arquivos usa esta forma.
std::string CifrarLinhas(const std::vector<std::string>& linhas, const std::string& pastaChaves);
// O texto Base64 (brancos das pontas removidos) decifrado com a chave privada, sem brancos
// nas pontas. Lança ErroCifra.
std::string DecifrarBase64(const std::string& texto, const std::string& pastaChaves);

// Texto da caixa de erro das operações de cifra: a mensagem, "\r" e "Contacte o suporte do KOV!".
std::string MensagemErroCifra(const std::string& erro);

// As operações como as rotinas auxiliares do sistema: um erro é mostrado numa caixa de erro
// (MensagemErroCifra) e o resultado é o texto vazio; nada é lançado.
std::string CifrarTexto(const std::vector<std::string>& linhas, const std::string& pastaChaves, Interacao& ui);
std::string DecifrarTexto(const std::string& texto, const std::string& pastaChaves, Interacao& ui);

}  // namespace kov
