#pragma once
// O documento XML dos arquivos de declaração: leitura segura e a única forma de escrevê-lo.
//
// O verificador de integridade é o SHA-1 dos bytes do arquivo, por isso quem escreve e quem
// confere precisam produzir exatamente os mesmos bytes a partir da mesma árvore. Todos os
// arquivos de declaração passam por SerializarDocumento, cujas regras estão descritas em
// docs/formato-arquivo.md:
//   - linha de declaração <?xml version="1.0" encoding="ISO-8859-1"?> seguida de CR LF;
//   - o elemento raiz inteiro numa linha, sem espaços entre os elementos, seguido de CR LF;
//   - elemento sem conteúdo escrito como <nome/>;
//   - no texto, "&", "<", ">" e CR escritos como &amp; &lt; &gt; &#13;; caracteres acima de
//     0xFF como &#N;; os demais como um byte ISO-8859-1;
//   - seções CDATA como estão (um "]]>" dentro delas é partido em duas seções).
//
// A leitura desliga a rede, não expande entidades e recusa qualquer declaração de tipo de
// documento (DTD): um arquivo de declaração nunca tem DTD, e assim um arquivo feito para
// multiplicar entidades ("billion laughs") é recusado antes de qualquer expansão.
// Textos só de brancos (entre elementos, ou o conteúdo inteiro de um elemento) são
// descartados na leitura.
#include <string>

struct _xmlDoc;
struct _xmlNode;

namespace kov {

// Dono de um xmlDoc da libxml2.
class DocumentoXml {
public:
    DocumentoXml() = default;
    explicit DocumentoXml(_xmlDoc* doc, size_t tamanhoLido = 0) : doc_(doc), tamanho_(tamanhoLido) {}
    ~DocumentoXml();
    DocumentoXml(DocumentoXml&& o) noexcept : doc_(o.doc_), tamanho_(o.tamanho_) { o.doc_ = nullptr; }
    DocumentoXml& operator=(DocumentoXml&& o) noexcept;
    DocumentoXml(const DocumentoXml&) = delete;
    DocumentoXml& operator=(const DocumentoXml&) = delete;

    _xmlDoc* doc() const { return doc_; }
    _xmlNode* raiz() const;
    // Tamanho em bytes do texto de que o documento foi lido (estimativa para a serialização).
    size_t tamanhoLido() const { return tamanho_; }

private:
    _xmlDoc* doc_ = nullptr;
    size_t tamanho_ = 0;
};

// Analisa bytes XML. Lança ErroSistema com o texto do erro da libxml2 quando não é XML bem
// formado, e quando o documento tem DTD.
DocumentoXml LerXml(const std::string& bytes);
// Lê o arquivo inteiro e o analisa; lança ErroSistema quando não pode ser lido.
DocumentoXml LerArquivoXml(const std::string& caminho);

// Os bytes do documento (regras acima).
std::string SerializarDocumento(const DocumentoXml& doc);
// Serializa e grava no caminho, pela troca atômica de GravarArquivoAtomico.
void SalvarArquivoXml(const DocumentoXml& doc, const std::string& caminho);

// Grava os bytes num arquivo temporário da mesma pasta e o renomeia para o caminho: quem
// lê o caminho vê o arquivo antigo inteiro ou o novo inteiro, nunca um pedaço. Um arquivo
// que já existia mantém as suas permissões. Lança ErroSistema quando não consegue.
void GravarArquivoAtomico(const std::string& caminho, const std::string& bytes);

// Lê o arquivo inteiro; lança ErroSistema quando não pode ser lido.
std::string LerArquivoBinario(const std::string& caminho);

// Primeiro filho elemento com o nome, ou nulo.
_xmlNode* FilhoElemento(_xmlNode* pai, const char* nome);
// Texto de um elemento (o dos seus filhos de texto e CDATA).
std::string TextoElemento(_xmlNode* elemento);

// Texto UTF-8 ou já de 8 bits para o texto de um elemento montado à mão: "&", "<", ">"
// viram referências e CR vira &#13; (para voltar como CR depois da leitura).
std::string EscaparTextoXml(const std::string& texto);

}  // namespace kov
