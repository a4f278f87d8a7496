#include "files/CifraRSA.h"

#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <filesystem>
#include <memory>

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
struct LiberaMont {
    void operator()(BN_MONT_CTX* m) const { BN_MONT_CTX_free(m); }
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

// x ↦ x^expoente mod módulo, com o contexto de Montgomery montado uma vez por chave.
class Potencia {
public:
    explicit Potencia(const ChaveRSA& chave)
        : ctx_(BN_CTX_new()), mont_(BN_MONT_CTX_new()), n_(deBigEndian(chave.modulo)),
          e_(deBigEndian(chave.expoente)), x_(novoBN()), y_(novoBN()) {
        if (!ctx_ || !mont_ || !BN_MONT_CTX_set(mont_.get(), n_.get(), ctx_.get()))
            throw ErroCifra(CHAVE_RSA_INVALIDA);
        BN_set_flags(e_.get(), BN_FLG_CONSTTIME);
    }
    // Lê 'n' bytes little-endian, eleva e devolve o resultado em big-endian sem zeros à esquerda.
    std::string aplicar(const unsigned char* le, size_t n) {
        if (!BN_lebin2bn(le, static_cast<int>(n), x_.get()) ||
            !BN_mod_exp_mont(y_.get(), x_.get(), e_.get(), n_.get(), ctx_.get(), mont_.get()))
            throw ErroCifra("Falha no cálculo da cifra RSA.");
        return paraBigEndian(y_.get());
    }

private:
    std::unique_ptr<BN_CTX, LiberaCtx> ctx_;
    std::unique_ptr<BN_MONT_CTX, LiberaMont> mont_;
    BN n_, e_, x_, y_;
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

std::string aparar(const std::string& s) {
    size_t i = 0, f = s.size();
    while (i < f && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    while (f > i && static_cast<unsigned char>(s[f - 1]) <= ' ') --f;
    return s.substr(i, f - i);
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
    Potencia pot(publica);
    Enchimento ench;
    const size_t blocos = std::max<size_t>(1, (claro.size() + BYTES_POR_BLOCO_CLARO - 1) / BYTES_POR_BLOCO_CLARO);
    std::string saida(blocos * BYTES_POR_BLOCO_CIFRADO, '\0');
    for (size_t b = 0; b < blocos; ++b) {
        const size_t inicio = b * BYTES_POR_BLOCO_CLARO;
        const size_t n = std::min(BYTES_POR_BLOCO_CLARO, claro.size() - std::min(claro.size(), inicio));
        // Do byte menos para o mais significativo: dados, 0x00, enchimento até 14 bytes, 0x02, 0x00
        unsigned char bloco[BYTES_POR_BLOCO_CIFRADO];
        size_t i = 0;
        for (; i < n; ++i) bloco[i] = static_cast<unsigned char>(claro[inicio + i]);
        bloco[i++] = 0x00;
        for (; i < 14; ++i) bloco[i] = ench.proximo();
        bloco[14] = 0x02;
        bloco[15] = 0x00;
        const std::string be = pot.aplicar(bloco, sizeof bloco);
        // Resultado em 16 bytes little-endian, zeros completando a parte alta
        for (size_t k = 0; k < be.size(); ++k) saida[b * BYTES_POR_BLOCO_CIFRADO + k] = be[be.size() - 1 - k];
    }
    return saida;
}

std::string DecifrarBytes(const std::string& cifrado, const ChaveRSA& privada) {
    if (cifrado.empty()) throw ErroCifra("RSA decoding error: Block too small");
    Potencia pot(privada);
    std::string claro;
    claro.reserve(cifrado.size() / BYTES_POR_BLOCO_CIFRADO * BYTES_POR_BLOCO_CLARO);
    for (size_t inicio = 0; inicio < cifrado.size(); inicio += BYTES_POR_BLOCO_CIFRADO) {
        const size_t n = std::min(BYTES_POR_BLOCO_CIFRADO, cifrado.size() - inicio);
        const std::string be = pot.aplicar(reinterpret_cast<const unsigned char*>(cifrado.data()) + inicio, n);
        if (!be.empty() && be[0] != 0x01 && be[0] != 0x02) throw ErroCifra("RSA decoding error: Invalid block type");
        if (be.size() <= 10) throw ErroCifra("RSA decoding error: Block too small");
        if (be.size() > 128) throw ErroCifra("RSA decoding error: Block too large");
        // Abaixo do byte de tipo: o enchimento até o primeiro 0x00; abaixo dele, os dados
        const size_t zero = be.find('\0', 1);
        if (zero == std::string::npos) throw ErroCifra("RSA decoding error: Invalid block format");
        for (size_t k = be.size(); k > zero + 1; --k) claro += be[k - 1];
    }
    return claro;
}

std::string ExponenciarBloco(const std::string& le, const ChaveRSA& chave) {
    Potencia pot(chave);
    const std::string be = pot.aplicar(reinterpret_cast<const unsigned char*>(le.data()), le.size());
    std::string saida(BYTES_POR_BLOCO_CIFRADO, '\0');
    for (size_t k = 0; k < be.size() && k < saida.size(); ++k) saida[k] = be[be.size() - 1 - k];
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
    return aparar(CodificarBase64(CifrarBytes(claro, publica)));
}

std::string DecifrarBase64(const std::string& texto, const std::string& pastaChaves) {
    lerChaveDaPasta(pastaChaves, ARQUIVO_CHAVE_PUBLICA);
    const ChaveRSA privada = lerChaveDaPasta(pastaChaves, ARQUIVO_CHAVE_PRIVADA);
    return aparar(DecifrarBytes(DecodificarBase64(aparar(texto)), privada));
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
