#include "files/DocumentoXml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/GravacaoSegura.h"
#include "platform/Interacao.h"

namespace kov {

namespace fs = std::filesystem;

DocumentoXml::~DocumentoXml() {
    if (doc_) xmlFreeDoc(doc_);
}

DocumentoXml& DocumentoXml::operator=(DocumentoXml&& o) noexcept {
    if (this != &o) {
        if (doc_) xmlFreeDoc(doc_);
        doc_ = o.doc_;
        tamanho_ = o.tamanho_;
        o.doc_ = nullptr;
    }
    return *this;
}

xmlNode* DocumentoXml::raiz() const { return doc_ ? xmlDocGetRootElement(doc_) : nullptr; }

namespace {

const char* const MSG_DTD = "Arquivo XML com declaração de tipo de documento (DTD) não é aceito.";

// Chamado quando o analisador encontra <!DOCTYPE: para a análise antes que as declarações
// de entidades sejam lidas.
void recusarDtd(void* contexto, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(contexto);
    *static_cast<bool*>(ctxt->_private) = true;
    xmlStopParser(ctxt);
}

bool soBrancos(const xmlChar* s) {
    if (!s) return true;
    for (; *s; ++s)
        if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n') return false;
    return true;
}

// Remove os textos só de brancos (espaço, tabulação, CR, LF): a indentação e os fins de linha
// entre os elementos, e também o conteúdo de um contêiner vazio escrito em duas linhas. Seções
// CDATA não são texto e ficam.
void descartarBrancos(xmlNode* no) {
    for (xmlNode* f = no->children; f;) {
        xmlNode* prox = f->next;
        if (f->type == XML_TEXT_NODE && soBrancos(f->content)) {
            xmlUnlinkNode(f);
            xmlFreeNode(f);
        } else if (f->type == XML_ELEMENT_NODE) {
            descartarBrancos(f);
        }
        f = prox;
    }
}

std::string aparado(const char* s) {
    std::string t = s ? s : "";
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' ')) t.pop_back();
    return t;
}

// ---- serialização ---------------------------------------------------------------------

// Próximo ponto de código de um texto UTF-8 da libxml2 (sempre bem formado).
unsigned proximoCodigo(const unsigned char*& p) {
    unsigned c = *p++;
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    c &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : 0x1F;
    while (extra-- > 0 && (*p & 0xC0) == 0x80) c = (c << 6) | (*p++ & 0x3F);
    return c;
}

void referencia(std::string& out, unsigned codigo) {
    out += "&#";
    out += std::to_string(codigo);
    out += ';';
}

enum class Contexto { Texto, Atributo };

// Bytes que passam como estão: ASCII imprimível sem "&", "<", ">", '"' (e LF, tabulação)
bool simples(unsigned char c) { return c >= 0x20 ? c < 0x80 && c != '&' && c != '<' && c != '>' && c != '"' : false; }

void escreverTexto(std::string& out, const xmlChar* s, Contexto ctx) {
    if (!s) return;
    for (const unsigned char* p = s; *p;) {
        const unsigned char* inicio = p;
        while (simples(*p)) ++p;
        if (p != inicio) {
            out.append(reinterpret_cast<const char*>(inicio), static_cast<size_t>(p - inicio));
            if (!*p) break;
        }
        const unsigned c = proximoCodigo(p);
        switch (c) {
            case '&': out += "&amp;"; continue;
            case '<': out += "&lt;"; continue;
            case '>': out += ctx == Contexto::Texto ? "&gt;" : ">"; continue;
            case '"': out += ctx == Contexto::Atributo ? "&quot;" : "\""; continue;
            case '\r': out += "&#13;"; continue;
            case '\n':
            case '\t':
                if (ctx == Contexto::Atributo) referencia(out, c);
                else out += static_cast<char>(c);
                continue;
            default: break;
        }
        if (c > 0xFF) referencia(out, c);
        else out += static_cast<char>(c);
    }
}

// Comentários e instruções de processamento não têm referências: um caractere sem lugar
// no ISO-8859-1 vira "?".
void escreverBruto(std::string& out, const xmlChar* s) {
    if (!s) return;
    for (const unsigned char* p = s; *p;) {
        const unsigned c = proximoCodigo(p);
        out += c > 0xFF ? '?' : static_cast<char>(c);
    }
}

// CDATA: os bytes como estão; "]]>" e caracteres sem lugar no ISO-8859-1 partem a seção.
void escreverCData(std::string& out, const xmlChar* s) {
    const std::string conteudo = s ? reinterpret_cast<const char*>(s) : "";
    if (conteudo.empty()) return;  // seção vazia não é escrita
    out += "<![CDATA[";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(conteudo.c_str());
    while (*p) {
        if (p[0] == ']' && p[1] == ']' && p[2] == '>') {
            out += "]]]]><![CDATA[>";
            p += 3;
            continue;
        }
        const unsigned c = proximoCodigo(p);
        if (c > 0xFF) {
            out += "]]>";
            referencia(out, c);
            out += "<![CDATA[";
        } else {
            out += static_cast<char>(c);
        }
    }
    out += "]]>";
}

std::string nomeQualificado(const xmlNode* no) {
    std::string n;
    if (no->ns && no->ns->prefix) n = std::string(reinterpret_cast<const char*>(no->ns->prefix)) + ":";
    return n + reinterpret_cast<const char*>(no->name);
}

bool temConteudo(const xmlNode* no) {
    for (const xmlNode* f = no->children; f; f = f->next) {
        if ((f->type == XML_TEXT_NODE || f->type == XML_CDATA_SECTION_NODE) && (!f->content || !*f->content))
            continue;
        return true;
    }
    return false;
}

void escreverNo(std::string& out, const xmlNode* no) {
    switch (no->type) {
        case XML_ELEMENT_NODE: {
            const std::string nome = nomeQualificado(no);
            out += '<';
            out += nome;
            for (const xmlNs* ns = no->nsDef; ns; ns = ns->next) {
                out += ns->prefix ? std::string(" xmlns:") + reinterpret_cast<const char*>(ns->prefix) : " xmlns";
                out += "=\"";
                escreverTexto(out, ns->href, Contexto::Atributo);
                out += '"';
            }
            for (const xmlAttr* a = no->properties; a; a = a->next) {
                out += ' ';
                if (a->ns && a->ns->prefix) out += std::string(reinterpret_cast<const char*>(a->ns->prefix)) + ":";
                out += reinterpret_cast<const char*>(a->name);
                out += "=\"";
                for (const xmlNode* v = a->children; v; v = v->next) escreverTexto(out, v->content, Contexto::Atributo);
                out += '"';
            }
            if (!temConteudo(no)) {
                out += "/>";
                return;
            }
            out += '>';
            for (const xmlNode* f = no->children; f; f = f->next) escreverNo(out, f);
            out += "</";
            out += nome;
            out += '>';
            return;
        }
        case XML_TEXT_NODE: escreverTexto(out, no->content, Contexto::Texto); return;
        case XML_CDATA_SECTION_NODE: escreverCData(out, no->content); return;
        case XML_COMMENT_NODE:
            out += "<!--";
            escreverBruto(out, no->content);
            out += "-->";
            return;
        case XML_PI_NODE:
            out += "<?";
            out += reinterpret_cast<const char*>(no->name);
            if (no->content && *no->content) {
                out += ' ';
                escreverBruto(out, no->content);
            }
            out += "?>";
            return;
        default: return;  // sem DTD não há outros nós
    }
}

}  // namespace

DocumentoXml LerXml(const std::string& bytes) {
    xmlInitParser();
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) throw ErroSistema("Memória insuficiente para ler o XML.");
    bool temDtd = false;
    ctxt->_private = &temDtd;
    ctxt->sax->internalSubset = recusarDtd;
    // Sem XML_PARSE_NOENT (entidades não são substituídas), sem DTD, sem rede, sem o
    // limite enorme (XML_PARSE_HUGE) e sem mensagens da biblioteca na saída de erros.
    const int opcoes = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, opcoes);
    std::string erro;
    if (temDtd) {
        erro = MSG_DTD;
    } else if (!doc || !ctxt->wellFormed) {
        const xmlError* e = xmlCtxtGetLastError(ctxt);
        erro = e && e->message ? aparado(e->message) : "Documento XML inválido";
        if (e && e->line > 0) erro += " (linha " + std::to_string(e->line) + ")";
    } else if (doc->intSubset || doc->extSubset) {
        erro = MSG_DTD;
    } else if (!xmlDocGetRootElement(doc)) {
        erro = "Documento XML sem elemento raiz";
    }
    xmlFreeParserCtxt(ctxt);
    if (!erro.empty()) {
        if (doc) xmlFreeDoc(doc);
        throw ErroSistema(erro);
    }
    DocumentoXml d(doc, bytes.size());
    descartarBrancos(reinterpret_cast<xmlNode*>(doc));
    return d;
}

std::string LerArquivoBinario(const std::string& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    if (!f) throw ErroSistema("Não foi possível abrir o arquivo " + caminho + ": " + DescreverErroSistema(errno));
    std::stringstream ss;
    ss << f.rdbuf();
    if (f.bad()) throw ErroSistema("Não foi possível ler o arquivo " + caminho + ".");
    return ss.str();
}

DocumentoXml LerArquivoXml(const std::string& caminho) { return LerXml(LerArquivoBinario(caminho)); }

std::string SerializarDocumento(const DocumentoXml& d) {
    std::string out;
    out.reserve(d.tamanhoLido() + 256);
    out = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";
    if (!d.doc()) return out;
    for (const xmlNode* n = d.doc()->children; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE && n->type != XML_COMMENT_NODE && n->type != XML_PI_NODE) continue;
        escreverNo(out, n);
        out += "\r\n";
    }
    return out;
}

void SalvarArquivoXml(const DocumentoXml& doc, const std::string& caminho) {
    GravarArquivoAtomico(caminho, SerializarDocumento(doc));
}

void GravarArquivoAtomico(const std::string& caminho, const std::string& bytes) {
    const fs::path destino(caminho);
    fs::path pasta = destino.parent_path();
    if (pasta.empty()) pasta = ".";
    std::random_device rd;
    const fs::path temp = pasta / ("." + destino.filename().string() + "." + std::to_string(rd()) + ".tmp");
    auto falha = [&](const std::string& oque) {
        const std::string causa = DescreverErroSistema(errno);
        std::error_code ec;
        fs::remove(temp, ec);
        throw ErroSistema("Não foi possível " + oque + " o arquivo " + caminho + ": " + causa);
    };
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) falha("gravar");
    const bool escreveu = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0 &&
                          ::fsync(fileno(f)) == 0;
    const int e = errno;
    if (std::fclose(f) != 0 || !escreveu) {
        errno = escreveu ? errno : e;
        falha("gravar");
    }
    std::error_code ec;
    const auto perms = fs::status(destino, ec).permissions();
    if (!ec && fs::exists(destino, ec)) fs::permissions(temp, perms, ec);
    if (std::rename(temp.c_str(), destino.c_str()) != 0) falha("substituir");
}

xmlNode* FilhoElemento(xmlNode* pai, const char* nome) {
    if (!pai) return nullptr;
    for (xmlNode* f = pai->children; f; f = f->next)
        if (f->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(f->name), nome) == 0) return f;
    return nullptr;
}

std::string TextoElemento(xmlNode* e) {
    std::string t;
    if (!e) return t;
    for (xmlNode* f = e->children; f; f = f->next)
        if ((f->type == XML_TEXT_NODE || f->type == XML_CDATA_SECTION_NODE) && f->content)
            t += reinterpret_cast<const char*>(f->content);
    return t;
}

std::string EscaparTextoXml(const std::string& texto) {
    std::string r;
    r.reserve(texto.size());
    for (char c : texto) {
        switch (c) {
            case '&': r += "&amp;"; break;
            case '<': r += "&lt;"; break;
            case '>': r += "&gt;"; break;
            case '\r': r += "&#13;"; break;
            default: r += c;
        }
    }
    return r;
}

}  // namespace kov
