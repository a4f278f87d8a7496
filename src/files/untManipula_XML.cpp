#include "files/untManipula_XML.h"

#include <libxml/tree.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "data/Cadastros.h"
#include "files/DocumentoXml.h"
#include "platform/Interacao.h"

namespace kov {

const char* const MSG_ERRO_CONFERIR_HASH = "Erro ao conferir o hash!";

namespace {

const char* const VERIFICADOR = "verificador_integridade";

struct LiberaMd {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

// SHA-1 incremental: os bytes entram aos pedaços, o resultado sai em hexadecimal maiúsculo.
class Sha1 {
public:
    Sha1() : ctx_(EVP_MD_CTX_new()) {
        if (!ctx_ || EVP_DigestInit_ex(ctx_.get(), EVP_sha1(), nullptr) != 1) throw ErroSistema("Falha ao iniciar o SHA-1.");
    }
    void acrescentar(const void* dados, size_t n) {
        if (EVP_DigestUpdate(ctx_.get(), dados, n) != 1) throw ErroSistema("Falha no cálculo do SHA-1.");
    }
    std::string hexadecimal() {
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned n = 0;
        if (EVP_DigestFinal_ex(ctx_.get(), md, &n) != 1) throw ErroSistema("Falha no cálculo do SHA-1.");
        static const char digitos[] = "0123456789ABCDEF";
        std::string r;
        for (unsigned i = 0; i < n; ++i) {
            r += digitos[md[i] >> 4];
            r += digitos[md[i] & 0x0F];
        }
        return r;
    }

private:
    std::unique_ptr<EVP_MD_CTX, LiberaMd> ctx_;
};

std::string doisDigitos(int n) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d", n);
    return b;
}

xmlNode* cabecalho(const DocumentoXml& doc) {
    xmlNode* cab = FilhoElemento(doc.raiz(), "cabecalho");
    if (!cab) throw ErroSistema("O arquivo não tem o elemento cabecalho.");
    return cab;
}

// Tira o verificador_integridade de cabecalho; devolve o seu texto (vazio quando não há).
std::string tirarVerificador(const DocumentoXml& doc) {
    xmlNode* v = FilhoElemento(FilhoElemento(doc.raiz(), "cabecalho"), VERIFICADOR);
    if (!v) return {};
    std::string valor = TextoElemento(v);
    xmlUnlinkNode(v);
    xmlFreeNode(v);
    return valor;
}

void porVerificador(const DocumentoXml& doc, const std::string& valor) {
    if (!xmlNewTextChild(cabecalho(doc), nullptr, reinterpret_cast<const xmlChar*>(VERIFICADOR),
                         reinterpret_cast<const xmlChar*>(valor.c_str())))
        throw ErroSistema("Memória insuficiente para montar o arquivo.");
}


}  // namespace

fb::DataHora DataHoraZero() {
    using namespace std::chrono;
    return fb::DataHora{fb::Data{year{1899}, December, day{30}}, 0, 0, 0};
}

std::string TextoDataCabecalho(const fb::DataHora& d) {
    std::string t = fb::formatarData(d.data);
    if (d.hora != 0 || d.minuto != 0 || d.segundo != 0) t += " " + TextoHoraCabecalho(d);
    return t;
}

std::string TextoHoraCabecalho(const fb::DataHora& d) { return doisDigitos(d.hora) + ":" + doisDigitos(d.minuto); }

std::string TextoArquivoDeclaracao(const TInfCabecalho& c, const std::string& dados) {
    std::string t;
    t.reserve(dados.size() + 1024);
    auto linha = [&](const std::string& s) {
        t += s;
        t += "\r\n";
    };
    auto folha = [&](const char* nome, const std::string& valor) {
        linha(std::string("<") + nome + ">" + EscaparTextoXml(valor) + "</" + nome + ">");
    };
    linha("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    linha("<arquivo>");
    linha("<cabecalho>");
    folha("tipo_identificador", c.tipo_identificador);
    folha("identificador", c.identificador);
    folha("tipo_arquivo", c.tipo_arquivo);
    folha("versao_programa_gerador", c.versao_programa_gerador);
    linha("<periodo_referencia>");
    folha("data_inicial", TextoDataCabecalho(c.data_inicial));
    folha("data_final", TextoDataCabecalho(c.data_final));
    linha("</periodo_referencia>");
    linha("<substituicao>");
    folha("indicativo_substituicao", c.indicativo_substituicao);
    folha("protocolo_substituicao", c.protocolo_substituicao);
    linha("</substituicao>");
    linha("<protocolo>");
    folha("data", TextoDataCabecalho(c.protocolo_data));
    folha("hora", TextoHoraCabecalho(c.protocolo_hora));
    folha("numero", c.protocolo_numero);
    linha("</protocolo>");
    linha("<complemento></complemento>");
    linha("</cabecalho>");
    t += "<dados>";
    t += dados;
    linha("</dados>");
    linha("</arquivo>");
    return t;
}

void MontarArquivoDeclaracao(const std::string& caminho, const TInfCabecalho& cab, const std::string& dados) {
    const DocumentoXml doc = LerXml(TextoArquivoDeclaracao(cab, dados));
    xmlNode* cabecalho = doc.raiz() ? doc.raiz()->children : nullptr;
    if (!cabecalho || cabecalho->type != XML_ELEMENT_NODE ||
        std::strcmp(reinterpret_cast<const char*>(cabecalho->name), "cabecalho") != 0)
        throw ErroSistema("O arquivo montado não começa pelo elemento cabecalho.");
    std::string bytes = SerializarDocumento(doc);
    // O verificador entra como último filho de cabecalho: serializar a árvore com ele dá os
    // mesmos bytes com o elemento logo antes da marca de fim de cabecalho, a primeira do
    // arquivo (os textos do cabeçalho não podem conter "<").
    const size_t fim = bytes.find("</cabecalho>");
    if (fim == std::string::npos) throw ErroSistema("O arquivo montado não tem o fim de cabecalho.");
    const std::string verificador = VerificadorDosBytes(bytes);
    bytes.insert(fim, std::string("<") + VERIFICADOR + ">" + verificador + "</" + VERIFICADOR + ">");
    GravarArquivoAtomico(caminho, bytes);
}

std::string VerificadorDosBytes(const std::string& bytes) {
    Sha1 h;
    h.acrescentar(bytes.data(), bytes.size());
    return h.hexadecimal();
}

std::string CalcularVerificador(const std::string& caminho) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(caminho.c_str(), "rb"), std::fclose);
    if (!f) throw ErroSistema("Não foi possível abrir o arquivo " + caminho + ".");
    Sha1 h;
    char bloco[1024];
    size_t n;
    while ((n = std::fread(bloco, 1, sizeof bloco, f.get())) > 0) h.acrescentar(bloco, n);
    if (std::ferror(f.get())) throw ErroSistema("Não foi possível ler o arquivo " + caminho + ".");
    return h.hexadecimal();
}

std::string ExtrairVerificador(const std::string& caminho) {
    DocumentoXml doc = LerArquivoXml(caminho);
    std::string valor = tirarVerificador(doc);
    SalvarArquivoXml(doc, caminho);
    return valor;
}

void RecolocarVerificador(const std::string& caminho, const std::string& valor) {
    DocumentoXml doc = LerArquivoXml(caminho);
    porVerificador(doc, valor);
    SalvarArquivoXml(doc, caminho);
}

bool VerificadorConfere(DocumentoXml& doc) {
    const std::string guardado = tirarVerificador(doc);
    const std::string calculado = VerificadorDosBytes(SerializarDocumento(doc));
    porVerificador(doc, guardado);
    return guardado == calculado;
}

bool ConferirVerificador(const std::string& caminho, Interacao& ui) {
    ui.mostrarStatus("Conferindo dados do arquivo " + Aparar(caminho));
    bool confere = false;
    try {
        // Os passos de ExtrairVerificador, CalcularVerificador e RecolocarVerificador sobre o
        // documento em memória: os bytes sem o verificador são os que o arquivo teria entre
        // os dois passos, e o arquivo é regravado uma vez só, já com o verificador de volta.
        DocumentoXml doc = LerArquivoXml(caminho);
        confere = VerificadorConfere(doc);
        SalvarArquivoXml(doc, caminho);
    } catch (const std::exception&) {
        throw ErroSistema(MSG_ERRO_CONFERIR_HASH);
    }
    ui.limparStatus();
    return confere;
}

}  // namespace kov
