#include "files/CifraRSA.h"

#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "data/Cadastros.h"
#include "data/untUtils.h"
#include "files/DocumentoXml.h"

namespace kov {

const char* const ARQUIVO_CHAVE_PUBLICA = "PublicKey.dat";
const char* const ARQUIVO_CHAVE_PRIVADA = "PrivateKey.dat";

namespace {

const char* const CHAVE_ASSIMETRICA_INVALIDA = "Invalid Asymmetric Key";
const char* const CHAVE_RSA_INVALIDA = "Invalid RSA Key";
const char* const BASE64_INVALIDO = "Invalid Base64 Character";

// ---- números grandes da OpenSSL ---------------------------------------------------------

struct LiberaBN {
    void operator()(BIGNUM* b) const { BN_free(b); }
};
struct LiberaCtx {
    void operator()(BN_CTX* c) const { BN_CTX_free(c); }
};
using BN = std::unique_ptr<BIGNUM, LiberaBN>;

BN novoBN() {
    BN b(BN_new());
    if (!b) throw ErroCifra("Memória insuficiente para a cifra.");
    return b;
}

BN deBigEndian(const std::string& be) {
    BN b(BN_bin2bn(reinterpret_cast<const unsigned char*>(be.data()), static_cast<int>(be.size()), nullptr));
    if (!b) throw ErroCifra("Memória insuficiente para a cifra.");
    return b;
}

std::string paraBigEndian(const BIGNUM* b) {
    std::string s(static_cast<size_t>(BN_num_bytes(b)), '\0');
    BN_bn2bin(b, reinterpret_cast<unsigned char*>(s.data()));
    return s;
}

// x ↦ x^expoente mod módulo para o módulo de 128 bits do formato, em aritmética de Montgomery
// com duas palavras de 64 bits. Um arquivo de 300 municípios tem dezenas de milhares de
// blocos; as rotinas genéricas de números grandes da OpenSSL gastam mais em chamadas e
// alocações do que na conta, por isso a conta de 128 bits é feita aqui. A OpenSSL calcula
// R² mod n (uma vez por chave) e os testes conferem o resultado com BN_mod_exp.
class Potencia {
public:
    using u64 = uint64_t;
    using u128 = unsigned __int128;

    explicit Potencia(const ChaveRSA& chave) {
        if (chave.modulo.size() != BYTES_POR_BLOCO_CIFRADO || chave.expoente.empty() ||
            chave.expoente.size() > BYTES_POR_BLOCO_CIFRADO || (chave.modulo.back() & 1) == 0)
            throw ErroCifra(CHAVE_RSA_INVALIDA);
        deBigEndian16(chave.modulo, n_);
        deBigEndian16(std::string(BYTES_POR_BLOCO_CIFRADO - chave.expoente.size(), '\0') + chave.expoente, e_);
        bitsExpoente_ = 128;
        while (bitsExpoente_ > 0 && ((e_[(bitsExpoente_ - 1) / 64] >> ((bitsExpoente_ - 1) % 64)) & 1) == 0)
            --bitsExpoente_;
        if (bitsExpoente_ == 0) throw ErroCifra(CHAVE_RSA_INVALIDA);
        // −n⁻¹ mod 2⁶⁴ pelo método de Newton (n ímpar)
        u64 x = n_[0];
        for (int i = 0; i < 6; ++i) x *= 2 - n_[0] * x;
        ninv_ = 0 - x;
        // R² mod n, R = 2¹²⁸
        std::unique_ptr<BN_CTX, LiberaCtx> ctx(BN_CTX_new());
        BN r2 = novoBN(), n = deBigEndian(chave.modulo);
        if (!ctx || !BN_set_bit(r2.get(), 256) || !BN_mod(r2.get(), r2.get(), n.get(), ctx.get()))
            throw ErroCifra(CHAVE_RSA_INVALIDA);
        deBigEndian16(std::string(BYTES_POR_BLOCO_CIFRADO - BN_num_bytes(r2.get()), '\0') + paraBigEndian(r2.get()),
                      r2_);
    }

    static constexpr int LOTE = 4;

    // Eleva LOTE números de até 16 bytes little-endian (entrada[j], com tamanho[j] bytes); cada
    // resultado em 16 bytes little-endian (saida[j]). Os blocos de um lote são independentes e
    // a conta de um anda enquanto o processador espera a multiplicação de outro.
    void aplicar(const unsigned char* const entrada[LOTE], const size_t tamanho[LOTE],
                 unsigned char* const saida[LOTE]) const {
        u64 base[LOTE][2], acc[LOTE][2];
        for (int j = 0; j < LOTE; ++j) {
            u64 x[2] = {0, 0};
            for (size_t i = 0; i < tamanho[j]; ++i) x[i / 8] |= static_cast<u64>(entrada[j][i]) << (8 * (i % 8));
            multiplicar(x, r2_, base[j]);  // x·R mod n (x < 2¹²⁸ basta: o produto fica abaixo de n·R)
            acc[j][0] = base[j][0];         // o bit mais significativo do expoente é 1
            acc[j][1] = base[j][1];
        }
        for (int i = bitsExpoente_ - 2; i >= 0; --i) {
            for (int j = 0; j < LOTE; ++j) multiplicar(acc[j], acc[j], acc[j]);
            if ((e_[i / 64] >> (i % 64)) & 1)
                for (int j = 0; j < LOTE; ++j) multiplicar(acc[j], base[j], acc[j]);
        }
        const u64 um[2] = {1, 0};
        for (int j = 0; j < LOTE; ++j) {
            multiplicar(acc[j], um, acc[j]);  // sai da forma de Montgomery
            for (int i = 0; i < 16; ++i) saida[j][i] = static_cast<unsigned char>(acc[j][i / 8] >> (8 * (i % 8)));
        }
    }

    // Um número só.
    void aplicar(const unsigned char* le, size_t n, unsigned char saida[16]) const {
        unsigned char descarte[LOTE - 1][16];
        const unsigned char* entradas[LOTE] = {le, le, le, le};
        const size_t tamanhos[LOTE] = {n, 0, 0, 0};
        unsigned char* const saidas[LOTE] = {saida, descarte[0], descarte[1], descarte[2]};
        aplicar(entradas, tamanhos, saidas);
    }

private:
    static void deBigEndian16(const std::string& be, u64 r[2]) {
        r[0] = r[1] = 0;
        for (size_t i = 0; i < 16; ++i)
            r[(15 - i) / 8] |= static_cast<u64>(static_cast<unsigned char>(be[i])) << (8 * ((15 - i) % 8));
    }

    // r = a·b·R⁻¹ mod n (CIOS com duas palavras); a < 2¹²⁸ e b < n
    void multiplicar(const u64 a[2], const u64 b[2], u64 r[2]) const {
        u64 t0 = 0, t1 = 0, t2 = 0;
        for (int i = 0; i < 2; ++i) {
            u128 p = static_cast<u128>(a[0]) * b[i] + t0;
            t0 = static_cast<u64>(p);
            u64 c = static_cast<u64>(p >> 64);
            p = static_cast<u128>(a[1]) * b[i] + t1 + c;
            t1 = static_cast<u64>(p);
            c = static_cast<u64>(p >> 64);
            p = static_cast<u128>(t2) + c;
            t2 = static_cast<u64>(p);
            const u64 t3 = static_cast<u64>(p >> 64);
            const u64 m = t0 * ninv_;
            p = static_cast<u128>(m) * n_[0] + t0;
            c = static_cast<u64>(p >> 64);
            p = static_cast<u128>(m) * n_[1] + t1 + c;
            t0 = static_cast<u64>(p);
            c = static_cast<u64>(p >> 64);
            p = static_cast<u128>(t2) + c;
            t1 = static_cast<u64>(p);
            t2 = t3 + static_cast<u64>(p >> 64);
        }
        // t < 2n: uma subtração basta
        if (t2 != 0 || t1 > n_[1] || (t1 == n_[1] && t0 >= n_[0])) {
            const u128 v = (static_cast<u128>(t1) << 64 | t0) - (static_cast<u128>(n_[1]) << 64 | n_[0]);
            t0 = static_cast<u64>(v);
            t1 = static_cast<u64>(v >> 64);
        }
        r[0] = t0;
        r[1] = t1;
    }

    u64 n_[2], r2_[2], e_[2], ninv_ = 0;
    int bitsExpoente_ = 0;
};

// Bytes de enchimento, cada um uniforme de 1 a 253, da fonte criptográfica da OpenSSL.
class Enchimento {
public:
    unsigned char proximo() {
        for (;;) {
            if (pos_ == sizeof buf_) {
                if (RAND_bytes(buf_, sizeof buf_) != 1) throw ErroCifra("Falha na fonte de números aleatórios.");
                pos_ = 0;
            }
            const unsigned char b = buf_[pos_++];
            if (b < 253) return static_cast<unsigned char>(b + 1);  // 0..252 → 1..253; 253..255 descartados
        }
    }

private:
    unsigned char buf_[4096];
    size_t pos_ = sizeof buf_;
};

// ---- arquivo de chave ---------------------------------------------------------------------

bool lerComprimento(const std::string& b, size_t& pos, size_t& comprimento) {
    if (pos >= b.size()) return false;
    const unsigned char c = static_cast<unsigned char>(b[pos++]);
    if (c < 0x80) {
        comprimento = c;
        return true;
    }
    const size_t n = c - 0x80;
    if (n == 0 || n > 4 || pos + n > b.size()) return false;
    comprimento = 0;
    for (size_t i = 0; i < n; ++i) comprimento = (comprimento << 8) | static_cast<unsigned char>(b[pos++]);
    return true;
}

void escreverComprimento(std::string& out, size_t n) {
    if (n < 0x80) {
        out += static_cast<char>(n);
        return;
    }
    std::string bytes;
    for (; n > 0; n >>= 8) bytes.insert(bytes.begin(), static_cast<char>(n & 0xFF));
    out += static_cast<char>(0x80 + bytes.size());
    out += bytes;
}

std::string semZerosAEsquerda(std::string be) {
    const size_t i = be.find_first_not_of('\0');
    return i == std::string::npos ? std::string() : be.substr(i);
}

// INTEGER com conteúdo little-endian; devolve o número em big-endian.
std::string lerInteiro(const std::string& b, size_t& pos) {
    size_t n = 0;
    if (pos >= b.size() || b[pos++] != 0x02 || !lerComprimento(b, pos, n) || n == 0 || pos + n > b.size())
        throw ErroCifra(CHAVE_RSA_INVALIDA);
    std::string le = b.substr(pos, n);
    pos += n;
    if (le.size() >= 2 && le[0] == '\0' && static_cast<unsigned char>(le[1]) > 0x80) le.erase(0, 1);
    std::reverse(le.begin(), le.end());
    return semZerosAEsquerda(le);
}

void escreverInteiro(std::string& out, const std::string& be) {
    std::string le = semZerosAEsquerda(be);
    if (le.empty()) le = std::string(1, '\0');
    std::reverse(le.begin(), le.end());
    if (static_cast<unsigned char>(le[0]) > 0x80) le.insert(le.begin(), '\0');
    out += '\x02';
    escreverComprimento(out, le.size());
    out += le;
}

// a < b para números big-endian sem zeros à esquerda
bool menor(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

ChaveRSA lerChaveDaPasta(const std::string& pasta, const char* nome) {
    const std::string caminho = IncluirBarra(pasta) + nome;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(caminho, ec))
        throw ErroCifra("Arquivo de chave não encontrado: " + caminho);
    if (std::filesystem::file_size(caminho, ec) > TAMANHO_MAXIMO_ARQUIVO_CHAVE || ec)
        throw ErroCifra(CHAVE_ASSIMETRICA_INVALIDA);
    return LerChaveRSA(LerArquivoBinario(caminho));
}


}  // namespace

ChaveRSA LerChaveRSA(const std::string& b) {
    if (b.size() > TAMANHO_MAXIMO_ARQUIVO_CHAVE || b.size() < 2 || b[0] != 0x30)
        throw ErroCifra(CHAVE_ASSIMETRICA_INVALIDA);
    size_t pos = 1, comprimento = 0;
    if (!lerComprimento(b, pos, comprimento) || pos + comprimento != b.size())
        throw ErroCifra(CHAVE_ASSIMETRICA_INVALIDA);
    ChaveRSA c;
    c.modulo = lerInteiro(b, pos);
    c.expoente = lerInteiro(b, pos);
    if (pos != b.size()) throw ErroCifra(CHAVE_RSA_INVALIDA);
    // Módulo de exatamente 128 bits (o formato não conhece outro tamanho) e ímpar
    if (c.modulo.size() != BYTES_POR_BLOCO_CIFRADO || (static_cast<unsigned char>(c.modulo.back()) & 1) == 0)
        throw ErroCifra(CHAVE_RSA_INVALIDA);
    if (c.expoente.empty() || !menor(c.expoente, c.modulo)) throw ErroCifra(CHAVE_RSA_INVALIDA);
    return c;
}

std::string CodificarChaveRSA(const ChaveRSA& chave) {
    std::string conteudo;
    escreverInteiro(conteudo, chave.modulo);
    escreverInteiro(conteudo, chave.expoente);
    std::string out = "\x30";
    escreverComprimento(out, conteudo.size());
    return out + conteudo;
}

ParChavesRSA GerarParChavesRSA() {
    std::unique_ptr<BN_CTX, LiberaCtx> ctx(BN_CTX_new());
    BN p = novoBN(), q = novoBN(), n = novoBN(), e = novoBN(), phi = novoBN(), p1 = novoBN(), q1 = novoBN();
    BN_set_word(e.get(), 65537);
    for (;;) {
        if (!BN_generate_prime_ex(p.get(), 64, 0, nullptr, nullptr, nullptr) ||
            !BN_generate_prime_ex(q.get(), 64, 0, nullptr, nullptr, nullptr))
            throw ErroCifra("Falha ao gerar os números primos da chave.");
        if (BN_cmp(p.get(), q.get()) == 0) continue;
        BN_mul(n.get(), p.get(), q.get(), ctx.get());
        if (BN_num_bits(n.get()) != 128) continue;
        BN_sub(p1.get(), p.get(), BN_value_one());
        BN_sub(q1.get(), q.get(), BN_value_one());
        BN_mul(phi.get(), p1.get(), q1.get(), ctx.get());
        BN d(BN_mod_inverse(nullptr, e.get(), phi.get(), ctx.get()));
        if (!d) continue;  // 65537 divide p−1 ou q−1: outro par de primos
        ParChavesRSA par;
        par.publica = {paraBigEndian(n.get()), paraBigEndian(e.get())};
        par.privada = {paraBigEndian(n.get()), paraBigEndian(d.get())};
        return par;
    }
}

void GravarParChavesRSA(const ParChavesRSA& par, const std::string& pasta) {
    GravarArquivoAtomico(IncluirBarra(pasta) + ARQUIVO_CHAVE_PUBLICA, CodificarChaveRSA(par.publica));
    GravarArquivoAtomico(IncluirBarra(pasta) + ARQUIVO_CHAVE_PRIVADA, CodificarChaveRSA(par.privada));
}

std::string CifrarBytes(const std::string& claro, const ChaveRSA& publica) {
    const Potencia pot(publica);
    Enchimento ench;
    const size_t blocos = std::max<size_t>(1, (claro.size() + BYTES_POR_BLOCO_CLARO - 1) / BYTES_POR_BLOCO_CLARO);
    std::string saida(blocos * BYTES_POR_BLOCO_CIFRADO, '\0');
    unsigned char lote[Potencia::LOTE][BYTES_POR_BLOCO_CIFRADO];
    unsigned char descarte[BYTES_POR_BLOCO_CIFRADO];
    for (size_t primeiro = 0; primeiro < blocos; primeiro += Potencia::LOTE) {
        const unsigned char* entradas[Potencia::LOTE];
        size_t tamanhos[Potencia::LOTE];
        unsigned char* saidas[Potencia::LOTE];
        for (size_t j = 0; j < Potencia::LOTE; ++j) {
            const size_t b = primeiro + j;
            entradas[j] = lote[j];
            tamanhos[j] = BYTES_POR_BLOCO_CIFRADO;
            if (b >= blocos) {  // o fim do último lote: conta descartada
                std::fill(lote[j], lote[j] + BYTES_POR_BLOCO_CIFRADO, 0);
                saidas[j] = descarte;
                continue;
            }
            saidas[j] = reinterpret_cast<unsigned char*>(saida.data()) + b * BYTES_POR_BLOCO_CIFRADO;
            const size_t inicio = b * BYTES_POR_BLOCO_CLARO;
            const size_t n = std::min(BYTES_POR_BLOCO_CLARO, claro.size() - std::min(claro.size(), inicio));
            // Do byte menos para o mais significativo: dados, 0x00, enchimento até 14 bytes, 0x02, 0x00
            unsigned char* bloco = lote[j];
            size_t i = 0;
            for (; i < n; ++i) bloco[i] = static_cast<unsigned char>(claro[inicio + i]);
            bloco[i++] = 0x00;
            for (; i < 14; ++i) bloco[i] = ench.proximo();
            bloco[14] = 0x02;
            bloco[15] = 0x00;
        }
        pot.aplicar(entradas, tamanhos, saidas);
    }
    return saida;
}

// Os dados de um bloco decifrado (16 bytes little-endian), pelas regras da decodificação.
static void dadosDoBloco(const unsigned char le[BYTES_POR_BLOCO_CIFRADO], std::string& claro) {
    // O número em big-endian sem os zeros à esquerda
    size_t tamanho = BYTES_POR_BLOCO_CIFRADO;
    while (tamanho > 0 && le[tamanho - 1] == 0) --tamanho;
    if (tamanho > 0 && le[tamanho - 1] != 0x01 && le[tamanho - 1] != 0x02)
        throw ErroCifra("RSA decoding error: Invalid block type");
    if (tamanho <= 10) throw ErroCifra("RSA decoding error: Block too small");
    if (tamanho > 128) throw ErroCifra("RSA decoding error: Block too large");
    // Abaixo do byte de tipo: o enchimento até o primeiro 0x00; abaixo dele, os dados
    size_t zero = tamanho - 1;
    while (zero > 0 && le[zero - 1] != 0) --zero;
    if (zero == 0) throw ErroCifra("RSA decoding error: Invalid block format");
    claro.append(reinterpret_cast<const char*>(le), zero - 1);
}

std::string DecifrarBytes(const std::string& cifrado, const ChaveRSA& privada) {
    if (cifrado.empty()) throw ErroCifra("RSA decoding error: Block too small");
    const Potencia pot(privada);
    std::string claro;
    claro.reserve(cifrado.size() / BYTES_POR_BLOCO_CIFRADO * BYTES_POR_BLOCO_CLARO);
    const size_t blocos = (cifrado.size() + BYTES_POR_BLOCO_CIFRADO - 1) / BYTES_POR_BLOCO_CIFRADO;
    unsigned char lote[Potencia::LOTE][BYTES_POR_BLOCO_CIFRADO];
    for (size_t primeiro = 0; primeiro < blocos; primeiro += Potencia::LOTE) {
        const unsigned char* entradas[Potencia::LOTE];
        size_t tamanhos[Potencia::LOTE];
        unsigned char* saidas[Potencia::LOTE];
        for (size_t j = 0; j < Potencia::LOTE; ++j) {
            const size_t inicio = std::min(cifrado.size(), (primeiro + j) * BYTES_POR_BLOCO_CIFRADO);
            entradas[j] = reinterpret_cast<const unsigned char*>(cifrado.data()) + inicio;
            tamanhos[j] = std::min(BYTES_POR_BLOCO_CIFRADO, cifrado.size() - inicio);
            saidas[j] = lote[j];
        }
        pot.aplicar(entradas, tamanhos, saidas);
        for (size_t j = 0; j < Potencia::LOTE && primeiro + j < blocos; ++j) dadosDoBloco(lote[j], claro);
    }
    return claro;
}

std::string ExponenciarBloco(const std::string& le, const ChaveRSA& chave) {
    std::string saida(BYTES_POR_BLOCO_CIFRADO, '\0');
    Potencia(chave).aplicar(reinterpret_cast<const unsigned char*>(le.data()), std::min(le.size(), BYTES_POR_BLOCO_CIFRADO),
                            reinterpret_cast<unsigned char*>(saida.data()));
    return saida;
}

std::string CodificarBase64(const std::string& bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string DecodificarBase64(const std::string& texto) {
    auto valor = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    if (texto.size() % 4 != 0) throw ErroCifra(BASE64_INVALIDO);
    std::string out;
    out.reserve(texto.size() / 4 * 3);
    for (size_t i = 0; i < texto.size(); i += 4) {
        const bool ultimo = i + 4 == texto.size();
        int v[4];
        int iguais = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = texto[i + k];
            if (c == '=' && ultimo && k >= 2) {
                ++iguais;
                v[k] = 0;
                continue;
            }
            if (iguais > 0) throw ErroCifra(BASE64_INVALIDO);  // "=" no meio do grupo
            v[k] = valor(c);
            if (v[k] < 0) throw ErroCifra(BASE64_INVALIDO);
        }
        const unsigned grupo = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
        out += static_cast<char>((grupo >> 16) & 0xFF);
        if (iguais < 2) out += static_cast<char>((grupo >> 8) & 0xFF);
        if (iguais < 1) out += static_cast<char>(grupo & 0xFF);
    }
    return out;
}

std::string CifrarLinhas(const std::vector<std::string>& linhas, const std::string& pastaChaves) {
    // As duas chaves são lidas a cada chamada, como na decifração
    const ChaveRSA publica = lerChaveDaPasta(pastaChaves, ARQUIVO_CHAVE_PUBLICA);
    lerChaveDaPasta(pastaChaves, ARQUIVO_CHAVE_PRIVADA);
    std::string claro;
    size_t tamanho = 0;
    for (const auto& l : linhas) tamanho += l.size() + 2;
    claro.reserve(tamanho);
    for (const auto& l : linhas) {
        claro += l;
        claro += "\r\n";
    }
    return CodificarBase64(CifrarBytes(claro, publica));  // Base64 não tem brancos a aparar
}

std::string DecifrarBase64(const std::string& texto, const std::string& pastaChaves) {
    lerChaveDaPasta(pastaChaves, ARQUIVO_CHAVE_PUBLICA);
    const ChaveRSA privada = lerChaveDaPasta(pastaChaves, ARQUIVO_CHAVE_PRIVADA);
    return Aparar(DecifrarBytes(DecodificarBase64(Aparar(texto)), privada));
}

std::string MensagemErroCifra(const std::string& erro) { return erro + "\rContacte o suporte do KOV!"; }

std::string CifrarTexto(const std::vector<std::string>& linhas, const std::string& pastaChaves, Interacao& ui) {
    try {
        return CifrarLinhas(linhas, pastaChaves);
    } catch (const std::exception& e) {
        ui.mensagem(TipoMensagem::Erro, "Erro", MensagemErroCifra(e.what()));
        return {};
    }
}

std::string DecifrarTexto(const std::string& texto, const std::string& pastaChaves, Interacao& ui) {
    try {
        return DecifrarBase64(texto, pastaChaves);
    } catch (const std::exception& e) {
        ui.mensagem(TipoMensagem::Erro, "Erro", MensagemErroCifra(e.what()));
        return {};
    }
}

}  // namespace kov
