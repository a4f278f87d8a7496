#include "files/CifraRSA.h"

#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <thread>

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

// Decifração pelo teorema chinês do resto. Os arquivos de chave trazem só o módulo e um
// expoente, mas com o expoente público e o privado da mesma chave os dois primos do módulo
// saem de poucas exponenciações (e·d − 1 é múltiplo de λ(n)). Com eles, cada bloco é elevado
// a d mod (p − 1) módulo p e a d mod (q − 1) módulo q, contas de 64 bits, e as duas partes
// são juntadas: o mesmo x^d mod n, umas três vezes mais rápido. Só vale quando os dois primos
// cabem em 64 bits e o resultado confere com a conta direta; senão fica a conta de 128 bits.
class PotenciaCRT {
public:
    using u64 = uint64_t;
    using u128 = unsigned __int128;
    // Mais valores por lote que a conta de 128 bits: cada multiplicação de 64 bits é curta e a
    // espera entre uma e a seguinte do mesmo valor pesa mais.
    static constexpr int LOTE = 8;

    static std::optional<PotenciaCRT> daChave(const ChaveRSA& privada, const ChaveRSA& publica, const Potencia& direta) {
        if (publica.modulo != privada.modulo || publica.expoente.empty() || privada.expoente.empty())
            return std::nullopt;
        std::unique_ptr<BN_CTX, LiberaCtx> ctx(BN_CTX_new());
        if (!ctx) return std::nullopt;
        BN n = deBigEndian(privada.modulo), d = deBigEndian(privada.expoente), e = deBigEndian(publica.expoente);
        BN p = novoBN(), q = novoBN(), resto = novoBN();
        if (!fatorar(n.get(), e.get(), d.get(), p.get(), ctx.get())) return std::nullopt;
        if (!BN_div(q.get(), resto.get(), n.get(), p.get(), ctx.get()) || !BN_is_zero(resto.get()) ||
            BN_num_bits(p.get()) > 64 || BN_num_bits(q.get()) > 64 ||
            BN_check_prime(p.get(), ctx.get(), nullptr) != 1 || BN_check_prime(q.get(), ctx.get(), nullptr) != 1)
            return std::nullopt;
        BN p1 = novoBN(), q1 = novoBN(), dp = novoBN(), dq = novoBN();
        if (!BN_sub(p1.get(), p.get(), BN_value_one()) || !BN_sub(q1.get(), q.get(), BN_value_one()) ||
            !BN_mod(dp.get(), d.get(), p1.get(), ctx.get()) || !BN_mod(dq.get(), d.get(), q1.get(), ctx.get()))
            return std::nullopt;
        BN qinv(BN_mod_inverse(nullptr, q.get(), p.get(), ctx.get()));
        if (!qinv || BN_is_zero(dp.get()) || BN_is_zero(dq.get())) return std::nullopt;
        PotenciaCRT crt(palavra(p.get()), palavra(q.get()), palavra(dp.get()), palavra(dq.get()), palavra(qinv.get()));
        // Confere com a conta direta em valores dos dois lados do módulo
        unsigned char amostras[LOTE][BYTES_POR_BLOCO_CIFRADO], viaCrt[LOTE][BYTES_POR_BLOCO_CIFRADO];
        const unsigned char* entradas[LOTE];
        size_t tamanhos[LOTE];
        unsigned char* saidas[LOTE];
        for (int j = 0; j < LOTE; ++j) {
            for (size_t i = 0; i < BYTES_POR_BLOCO_CIFRADO; ++i)
                amostras[j][i] = static_cast<unsigned char>(j == LOTE - 1 ? 0xFF : 0x35 * (i + 1) + 0x4B * j);
            entradas[j] = amostras[j];
            tamanhos[j] = BYTES_POR_BLOCO_CIFRADO;
            saidas[j] = viaCrt[j];
        }
        crt.aplicar(entradas, tamanhos, saidas);
        for (int j = 0; j < LOTE; ++j) {
            unsigned char viaDireta[BYTES_POR_BLOCO_CIFRADO];
            direta.aplicar(amostras[j], BYTES_POR_BLOCO_CIFRADO, viaDireta);
            if (std::memcmp(viaCrt[j], viaDireta, BYTES_POR_BLOCO_CIFRADO) != 0) return std::nullopt;
        }
        return crt;
    }

    void aplicar(const unsigned char* const entrada[LOTE], const size_t tamanho[LOTE],
                 unsigned char* const saida[LOTE]) const {
        u64 xp[LOTE], xq[LOTE];
        for (int j = 0; j < LOTE; ++j) {
            u128 x = 0;
            for (size_t i = tamanho[j]; i-- > 0;) x = (x << 8) | entrada[j][i];
            xp[j] = static_cast<u64>(x % p_.m);
            xq[j] = static_cast<u64>(x % q_.m);
        }
        p_.potencias(xp, dp_);
        q_.potencias(xq, dq_);
        for (int j = 0; j < LOTE; ++j) {
            // m = mq + q·((mp − mq)·q⁻¹ mod p), que fica abaixo de n = p·q
            const u64 mqp = xq[j] % p_.m;
            const u64 diferenca = xp[j] >= mqp ? xp[j] - mqp : xp[j] + (p_.m - mqp);  // sem passar de 64 bits
            const u64 h = static_cast<u64>(static_cast<u128>(diferenca) * qinv_ % p_.m);
            const u128 m = static_cast<u128>(h) * q_.m + xq[j];
            for (int i = 0; i < 16; ++i) saida[j][i] = static_cast<unsigned char>(m >> (8 * i));
        }
    }

private:
    // Montgomery com uma palavra: R = 2⁶⁴, módulo ímpar de até 64 bits.
    struct Mont {
        u64 m = 0, ninv = 0, r2 = 0;
        explicit Mont(u64 modulo) : m(modulo) {
            u64 x = m;
            for (int i = 0; i < 6; ++i) x *= 2 - m * x;
            ninv = 0 - x;
            const u64 r = static_cast<u64>((static_cast<u128>(1) << 64) % m);
            r2 = static_cast<u64>(static_cast<u128>(r) * r % m);
        }
        // a·b·R⁻¹ mod m, a e b abaixo de m. A soma t + k·m tem os 64 bits baixos zerados (o
        // vai-um é 1 quando os baixos de t não são zero) e pode passar de 128 bits: só as
        // metades altas são somadas.
        u64 mul(u64 a, u64 b) const {
            const u128 t = static_cast<u128>(a) * b;
            const u64 k = static_cast<u64>(t) * ninv;
            const u128 km = static_cast<u128>(k) * m;
            const u128 r = (t >> 64) + (km >> 64) + (static_cast<u64>(t) != 0);
            // r < 2m: subtrai m sem desvio (um desvio aqui erra a previsão metade das vezes)
            const u64 baixo = static_cast<u64>(r), alto = static_cast<u64>(r >> 64);
            const u64 menos = baixo - m;
            return (alto | (baixo >= m)) ? menos : baixo;
        }
        // x[j] ↦ x[j]^e mod m para os LOTE valores (e > 0), intercalados
        void potencias(u64 x[LOTE], u64 e) const {
            u64 base[LOTE], acc[LOTE];
            for (int j = 0; j < LOTE; ++j) acc[j] = base[j] = mul(x[j], r2);
            for (int i = 62 - __builtin_clzll(e); i >= 0; --i) {
#pragma GCC unroll 8
                for (int j = 0; j < LOTE; ++j) acc[j] = mul(acc[j], acc[j]);
                if ((e >> i) & 1) {
#pragma GCC unroll 8
                    for (int j = 0; j < LOTE; ++j) acc[j] = mul(acc[j], base[j]);
                }
            }
            for (int j = 0; j < LOTE; ++j) x[j] = mul(acc[j], 1);
        }
    };

    PotenciaCRT(u64 p, u64 q, u64 dp, u64 dq, u64 qinv) : p_(p), q_(q), dp_(dp), dq_(dq), qinv_(qinv) {}

    static u64 palavra(const BIGNUM* b) {
        unsigned char le[8] = {};
        BN_bn2lebinpad(b, le, sizeof le);
        u64 v = 0;
        for (int i = 7; i >= 0; --i) v = (v << 8) | le[i];
        return v;
    }

    // Um fator de n a partir de e e d: k = e·d − 1 = 2ᵗ·r; para uma base g, a sequência
    // g^r, g^2r, ... chega a 1 módulo n, e a última raiz de 1 diferente de ±1 dá o fator
    // mdc(y − 1, n). Metade das bases serve; falso depois de muitas sem fator.
    static bool fatorar(const BIGNUM* n, const BIGNUM* e, const BIGNUM* d, BIGNUM* fator, BN_CTX* ctx) {
        BN k = novoBN(), r = novoBN(), g = novoBN(), y = novoBN(), x = novoBN(), n1 = novoBN();
        if (!BN_mul(k.get(), e, d, ctx) || !BN_sub_word(k.get(), 1) || BN_is_zero(k.get()) ||
            !BN_sub(n1.get(), n, BN_value_one()))
            return false;
        int t = 0;
        BN_copy(r.get(), k.get());
        while (!BN_is_odd(r.get())) {
            BN_rshift1(r.get(), r.get());
            ++t;
        }
        for (BN_ULONG base = 2; base < 200; ++base) {
            if (!BN_set_word(g.get(), base) || !BN_mod_exp(y.get(), g.get(), r.get(), n, ctx)) return false;
            if (BN_is_one(y.get()) || BN_cmp(y.get(), n1.get()) == 0) continue;
            for (int i = 0; i < t; ++i) {
                if (!BN_mod_sqr(x.get(), y.get(), n, ctx)) return false;
                if (BN_is_one(x.get())) {
                    BN_sub_word(y.get(), 1);
                    if (!BN_gcd(fator, y.get(), n, ctx)) return false;
                    return !BN_is_one(fator) && BN_cmp(fator, n) != 0;
                }
                if (BN_cmp(x.get(), n1.get()) == 0) break;
                BN_copy(y.get(), x.get());
            }
        }
        return false;
    }

    Mont p_, q_;
    u64 dp_, dq_, qinv_;
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

namespace {

// Os dados de um bloco decifrado (16 bytes little-endian), pelas regras da decodificação.
void dadosDoBloco(const unsigned char le[BYTES_POR_BLOCO_CIFRADO], std::string& claro) {
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

// Decifra os blocos [primeiro, ultimo) do texto cifrado, acrescentando os dados a 'claro'.
template <class P>
void decifrarBlocos(const P& pot, const std::string& cifrado, size_t primeiro, size_t ultimo, std::string& claro) {
    unsigned char lote[P::LOTE][BYTES_POR_BLOCO_CIFRADO];
    for (size_t b = primeiro; b < ultimo; b += P::LOTE) {
        const unsigned char* entradas[P::LOTE];
        size_t tamanhos[P::LOTE];
        unsigned char* saidas[P::LOTE];
        for (size_t j = 0; j < P::LOTE; ++j) {
            const size_t inicio = std::min(cifrado.size(), (b + j) * BYTES_POR_BLOCO_CIFRADO);
            entradas[j] = reinterpret_cast<const unsigned char*>(cifrado.data()) + inicio;
            tamanhos[j] = b + j < ultimo ? std::min(BYTES_POR_BLOCO_CIFRADO, cifrado.size() - inicio) : 0;
            saidas[j] = lote[j];
        }
        pot.aplicar(entradas, tamanhos, saidas);
        for (size_t j = 0; j < P::LOTE && b + j < ultimo; ++j) dadosDoBloco(lote[j], claro);
    }
}

// Um texto grande é decifrado em duas metades ao mesmo tempo: os blocos são independentes e a
// conta só lê a chave. O erro que vale é o do primeiro bloco com erro, como na ordem simples.
template <class P>
std::string decifrarTudo(const P& pot, const std::string& cifrado) {
    const size_t blocos = (cifrado.size() + BYTES_POR_BLOCO_CIFRADO - 1) / BYTES_POR_BLOCO_CIFRADO;
    std::string claro;
    claro.reserve(blocos * BYTES_POR_BLOCO_CLARO);
    constexpr size_t MINIMO_PARA_DIVIDIR = 2048;
    if (blocos < MINIMO_PARA_DIVIDIR || std::thread::hardware_concurrency() < 2) {
        decifrarBlocos(pot, cifrado, 0, blocos, claro);
        return claro;
    }
    const size_t meio = blocos / 2 / P::LOTE * P::LOTE;
    std::string segunda;
    std::exception_ptr erroSegunda;
    std::thread t([&] {
        try {
            segunda.reserve((blocos - meio) * BYTES_POR_BLOCO_CLARO);
            decifrarBlocos(pot, cifrado, meio, blocos, segunda);
        } catch (...) {
            erroSegunda = std::current_exception();
        }
    });
    try {
        decifrarBlocos(pot, cifrado, 0, meio, claro);
    } catch (...) {
        t.join();
        throw;
    }
    t.join();
    if (erroSegunda) std::rethrow_exception(erroSegunda);
    claro += segunda;
    return claro;
}

}  // namespace

bool DecifraPelosPrimos(const ChaveRSA& privada, const ChaveRSA& publica) {
    return PotenciaCRT::daChave(privada, publica, Potencia(privada)).has_value();
}

std::string DecifrarBytes(const std::string& cifrado, const ChaveRSA& privada, const ChaveRSA* publica) {
    if (cifrado.empty()) throw ErroCifra("RSA decoding error: Block too small");
    const Potencia pot(privada);
    if (publica)
        if (const auto crt = PotenciaCRT::daChave(privada, *publica, pot)) return decifrarTudo(*crt, cifrado);
    return decifrarTudo(pot, cifrado);
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
    // Valor de cada caractere do alfabeto; -1 nos demais. O bloco de uma declaração grande tem
    // centenas de milhares de caracteres: tabela e escrita direta, sem acréscimos um a um.
    static const auto valores = [] {
        std::array<signed char, 256> v;
        v.fill(-1);
        const char* alfabeto = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int k = 0; k < 64; ++k) v[static_cast<unsigned char>(alfabeto[k])] = static_cast<signed char>(k);
        return v;
    }();
    if (texto.size() % 4 != 0) throw ErroCifra(BASE64_INVALIDO);
    std::string out(texto.size() / 4 * 3, '\0');
    const unsigned char* t = reinterpret_cast<const unsigned char*>(texto.data());
    char* w = out.data();
    for (size_t i = 0; i < texto.size(); i += 4) {
        const int v0 = valores[t[i]], v1 = valores[t[i + 1]], v2 = valores[t[i + 2]], v3 = valores[t[i + 3]];
        int iguais = 0;
        if ((v0 | v1 | v2 | v3) < 0) {
            // Só o último grupo pode terminar em "=" (um ou dois, nas posições 3 e 4)
            const bool ultimo = i + 4 == texto.size();
            if (!ultimo || v0 < 0 || v1 < 0) throw ErroCifra(BASE64_INVALIDO);
            if (t[i + 2] == '=' && t[i + 3] == '=') iguais = 2;
            else if (v2 >= 0 && t[i + 3] == '=') iguais = 1;
            else throw ErroCifra(BASE64_INVALIDO);
        }
        const unsigned grupo = (static_cast<unsigned>(v0) << 18) | (static_cast<unsigned>(v1) << 12) |
                               (iguais < 2 ? static_cast<unsigned>(v2) << 6 : 0u) | (iguais < 1 ? static_cast<unsigned>(v3) : 0u);
        *w++ = static_cast<char>((grupo >> 16) & 0xFF);
        if (iguais < 2) *w++ = static_cast<char>((grupo >> 8) & 0xFF);
        if (iguais < 1) *w++ = static_cast<char>(grupo & 0xFF);
    }
    out.resize(static_cast<size_t>(w - out.data()));
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
    const ChaveRSA publica = lerChaveDaPasta(pastaChaves, ARQUIVO_CHAVE_PUBLICA);
    const ChaveRSA privada = lerChaveDaPasta(pastaChaves, ARQUIVO_CHAVE_PRIVADA);
    return Aparar(DecifrarBytes(DecodificarBase64(Aparar(texto)), privada, &publica));
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
