#include "data/Codificacao.h"

#include <iconv.h>

#include <cerrno>

#include "platform/Interacao.h"

namespace kov {

namespace {

// Tamanho da sequência UTF-8 bem formada que começa em s[i]; 0 quando não é uma.
size_t sequenciaUtf8(const std::string& s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = 0;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0 && c >= 0xC2) n = 2;
    else if ((c & 0xF0) == 0xE0) n = 3;
    else if ((c & 0xF8) == 0xF0 && c <= 0xF4) n = 4;
    else return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    // Formas longas demais, metades de par substituto (U+D800 a U+DFFF) e códigos acima de
    // U+10FFFF não são UTF-8: a base os recusa, e um texto em Windows-1252 pode formá-los
    // ("à€…" são os bytes E0 80 85)
    const unsigned char c1 = static_cast<unsigned char>(s[i + 1]);
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0) || (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90))
        return 0;
    return n;
}

struct Conversor {
    iconv_t cd;
    ~Conversor() { iconv_close(cd); }
};

}  // namespace

bool Utf8Valido(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = sequenciaUtf8(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string ConverterTexto(const std::string& texto, const char* de, const char* para) {
    const iconv_t cd = iconv_open(para, de);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw ErroSistema(std::string("Não foi possível converter o texto de ") + de + " para " + para + ".");
    Conversor dono{cd};
    const bool origemUtf8 = std::string(de) == "UTF-8";
    std::string saida;
    saida.reserve(texto.size() + 16);
    char buf[4096];
    char* in = const_cast<char*>(texto.data());
    size_t inLeft = texto.size();
    while (inLeft > 0) {
        char* out = buf;
        size_t outLeft = sizeof buf;
        const size_t r = iconv(cd, &in, &inLeft, &out, &outLeft);
        saida.append(buf, static_cast<size_t>(out - buf));
        if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
        // EILSEQ (caractere sem lugar no destino ou byte inválido) ou EINVAL (sequência
        // cortada no fim): um '?' no lugar do caractere, ou do byte quando não forma um
        const size_t pos = static_cast<size_t>(in - texto.data());
        size_t pular = origemUtf8 ? sequenciaUtf8(texto, pos) : 1;
        if (pular == 0) pular = 1;
        in += pular;
        inLeft -= pular;
        saida += '?';
    }
    return saida;
}

}  // namespace kov
