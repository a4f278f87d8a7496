#pragma once
// O leitor dos arquivos de declaração: restaura a declaração de um arquivo gravado com cifra
// (entrega em pasta ou disco, cópia de declarações). Decifra o bloco de dados, cria o
// contribuinte quando nenhum tem a inscrição do arquivo, cria a declaração ou substitui a do
// mesmo contribuinte, ano e meses (mantendo a chave) e regrava cada seção, tudo numa
// transação só: depois de qualquer falha a base não tem nenhuma parte do arquivo.
//
// A gravação passa pelo agregado da declaração e pelas suas regras (as de antes de gravar, as
// seções que faltam, os totais gravados, as regras das linhas da GI e dos municípios), como
// numa gravação feita pelas telas.
#include <optional>
#include <string>
#include <vector>

#include "data/Dinheiro.h"
#include "data/Entregas.h"
#include "data/Registros.h"

struct _xmlNode;

namespace kov {

class DocumentoXml;
class Interacao;
class Tdm;
struct Declaracao;
namespace fb { class Conexao; class Transacao; }

// A fronteira entre a leitura do arquivo e a base: tudo o que a restauração consulta e grava
// passa por aqui, numa transação só (confirmar ou desfazer no fim). A restauração do programa
// usa a base de dados; os alvos de fuzz usam uma em memória, para exercitar toda a leitura e
// as regras sem o custo da base.
class BaseRestauracao {
public:
    virtual ~BaseRestauracao() = default;
    virtual std::string contribuintePorIE(const std::string& inscricao) = 0;  // CONTRIBUINTE_ID ou vazio
    virtual void inserirContribuinte(Contribuinte& c) = 0;
    virtual Contribuinte carregarContribuinte(int contribuinteId) = 0;
    virtual std::string anoExercicio() = 0;  // o parâmetro ANOEXERCICIO, aparado
    // A declaração do contribuinte com o mesmo ano e meses, quando há.
    virtual std::optional<int> declaracaoDoPeriodo(int contribuinteId, int ano, int mesInicial, int mesFinal) = 0;
    virtual Declaracao carregarDeclaracao(int documentoId) = 0;
    virtual int novaChaveDeclaracao() = 0;
    virtual std::string regimeDoCodigo(const std::string& codigo) = 0;  // como RegimeDoCodigo
    virtual std::vector<int> municipios() = 0;                          // CODDRUMUNICIPIO de todos
    virtual void escreverDeclaracao(Declaracao& d) = 0;
    virtual std::vector<Entrega> entregas(int documentoId) = 0;
    virtual std::optional<Entrega> entregaDoProtocolo(const std::string& protocolo) = 0;
    virtual void gravarEntrega(Entrega& e) = 0;
    virtual void confirmar() = 0;
    virtual void desfazer() = 0;
};

// O que a restauração precisa do programa.
struct ContextoRestauracao {
    fb::Conexao& conexao;
    Interacao& ui;
    std::string pastaPrograma;  // PrivateKey.dat e a subpasta temp/ da cópia de trabalho
    int anoCorrente;            // ano do relógio, para a regra do ano corrente da gravação
};
ContextoRestauracao ContextoRestauracaoDoModulo(Tdm& dm);

extern const char* const ARQUIVO_COPIA_DECIFRADA;  // "decsImport.xml"
extern const char* const MSG_FORMATO_INVALIDO;     // "Formato do arquivo inválido!"
extern const char* const MSG_TIPO_INVALIDO;        // "Tipo de arquivo inválido!"
extern const char* const MSG_ERRO_DESCRIPTOGRAFAR; // "Erro ao descriptografar o arquivo!"
extern const char* const MSG_ANO_BASE_DIFERENTE;   // "ATENÇÃO: \r\nDeclaração gerada em ano diferente..."

// Restaura a declaração do arquivo. Devolve a chave (DOCUMENTO_ID) da declaração restaurada,
// ou nada quando falhou: a razão foi mostrada pela Interacao (caixa "Erro") e a base ficou
// como estava. Só os erros da cópia de trabalho ("Não foi possível salvar o arquivo.", "Não foi
// possível abrir o arquivo!", "Não foi possível apagar o arquivo!") são lançados (ErroSistema).
// A cópia decifrada, temp/decsImport.xml, existe só durante a chamada.
std::optional<int> ImportarArquivoDeclaracao(const ContextoRestauracao& ctx, const std::string& caminho);
std::optional<int> ImportarArquivoDeclaracao(Tdm& dm, const std::string& caminho);
// O mesmo sobre uma base qualquer: 'pastaPrograma' e 'anoCorrente' como no contexto.
std::optional<int> ImportarArquivoDeclaracao(BaseRestauracao& base, Interacao& ui, const std::string& pastaPrograma,
                                             int anoCorrente, const std::string& caminho);

// O texto cifrado do bloco de dados do documento: o do primeiro filho de dados, sem brancos nas
// pontas. Lança ErroSistema com MSG_TIPO_INVALIDO quando não há dados e com
// MSG_ERRO_DESCRIPTOGRAFAR quando dados está vazio ou às claras.
std::string TextoCifradoDoArquivo(const DocumentoXml& doc);

// Monta a cópia de trabalho na pasta: o cabeçalho do documento de origem (de onde dados é
// retirado) e o bloco de dados decifrado; devolve o caminho. Lança ErroSistema quando não
// consegue gravá-la ou relê-la.
std::string MontarArquivoDecifrado(DocumentoXml& origem, const std::string& linhasDecifradas,
                                   const std::string& pasta);

// O REGIME_ID (em texto) do código de regime_recolhimento: 53 vale 52 e 55 vale 54; vazio
// quando nenhum regime tem o código. Um erro da consulta segue com o mesmo texto.
std::string RegimeDoCodigo(fb::Transacao& tr, std::string codigo);
// CONTRIBUINTE_ID (em texto) do contribuinte com a inscrição, ou vazio.
std::string ContribuintePorIE(fb::Transacao& tr, const std::string& inscricao);

// Valor no formato do arquivo: sinal opcional, dígitos e vírgula decimal com até duas casas,
// brancos das pontas ignorados. Vazio dá nulo; outro texto lança ErroSistema.
Quantia ValorDoArquivo(const std::string& texto);
// O mesmo com o vazio valendo 0 (as parcelas somadas em "outras" das exclusões).
Dinheiro TextoParaValor(const std::string& texto);

// Texto de um elemento (UTF-8 do ISO-8859-1 lido) como texto da base: os bytes 0x80 a 0x9F,
// que o escritor grava com o seu caractere do Windows-1252, voltam a ser esse caractere.
std::string TextoDaBase(const std::string& lido);
// O recibo de uma entrega como é guardado: os bytes de 8 bits, com cada fim de linha que o
// XML normalizou para LF de volta a CR LF.
std::string ReciboGuardado(const std::string& lido);

}  // namespace kov
