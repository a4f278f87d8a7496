#pragma once
// A captura de protocolos: as declarações gravadas numa pasta, transmitidas noutro computador,
// voltam com o protocolo no cabeçalho. A captura lê esses arquivos, lista os protocolos das
// declarações da base e transforma a gravação ("D") em entrega ("T") com protocolo, data,
// hora e recibo. No segundo modo imprime o recibo de um protocolo da lista.
//
// Os arquivos devolvidos nunca são alterados: o verificador é conferido numa cópia na pasta
// temporária do programa, de modo que uma mídia só de leitura ainda lista os protocolos e os
// arquivos da administração ficam byte a byte como chegaram.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/Entregas.h"

struct _xmlNode;

namespace kov {

class Tdm;

enum class ModoCaptura { Captura = 0, Recibo = 1 };

// A linha de protocolo em colunas fixas (65 caracteres, contados a partir de 1): inscrição
// (1-13), período "mm/aaaa a mm/aaaa" (14-30), número com brancos à direita ou cortado em 17
// (31-47), data "dd/mm/aaaa" (48-57) e hora "hh:mm:ss" (58-65).
std::string LinhaProtocolo(const std::string& inscricao, const std::string& dataInicial,
                           const std::string& dataFinal, const std::string& numero, const std::string& data,
                           const std::string& hora);

// Os campos de uma linha de protocolo.
struct CamposProtocolo {
    std::string inscricao, periodo, numero, data, hora;  // número sem os brancos das pontas
    int ano = 0, mesInicial = 0, mesFinal = 0;
};
CamposProtocolo CamposDaLinha(const std::string& linha);

// O cabeçalho de um arquivo devolvido pela administração, conferido como a lista o aceita:
// período com datas, protocolo de 17 caracteres (sem os brancos das pontas), data e hora
// válidas. Nada quando o arquivo não serve. 'numero' vem completado com brancos até 17.
struct CabecalhoDevolvido {
    std::string inscricao, dataInicial, dataFinal, numero, data, hora;
    int ano = 0, mesInicial = 0, mesFinal = 0;
};
std::optional<CabecalhoDevolvido> ProtocoloDoArquivo(_xmlNode* raiz);

// As colunas da grade para a linha de ordem 'n' (a partir de 1): "Nº", "I.E." formatada,
// "Período", "Protocolo", "Data Entrega", "Hora Entrega".
std::vector<std::string> ColunasGradeProtocolo(int n, const std::string& linha);
extern const char* const TITULOS_GRADE_PROTOCOLOS[6];

extern const char* const MSG_SEM_PROTOCOLOS;       // "O caminho especificado não contém protocolos!"
extern const char* const MSG_NADA_A_IMPORTAR;      // "Não existe protocolo a ser importado!"
extern const char* const MSG_JA_TRANSMITIDA;       // "Esta declaração já foi transmitida e não poderá ser atualizada!"
extern const char* const MSG_SEM_HISTORICO;        // "O histórico de entrega desta declaração não foi encontrado!"
extern const char* const MSG_CAPTURADOS_DISPONIVEIS;
extern const char* const MSG_CAPTURAR_ANTES;

// O uso da tela de protocolos, sem a tela: a pasta, as linhas encontradas e as capturadas,
// a linha escolhida. As mensagens vão pela Interacao do módulo de dados.
class CapturaProtocolos {
public:
    // 'imprimir' mostra o recibo de uma entrega (a tela abre a visualização; o kov-cli grava o PDF).
    CapturaProtocolos(Tdm& dm, ModoCaptura modo, std::function<void(const Entrega&)> imprimir = {});

    ModoCaptura modo() const { return modo_; }
    // Pede a pasta (de novo enquanto ela não tiver protocolos) e monta a lista. Falso quando
    // o usuário desistiu ou a lista não pode ser mostrada.
    bool CarregarProtocolos();
    // As linhas aceitáveis dos arquivos "KOV*.xml" da pasta, acrescentadas às encontradas.
    // Um erro de leitura (XML mal formado, cópia impossível) lança com a mensagem a mostrar.
    void LerArquivosProtocolo(const std::string& pasta);
    // Ordena as encontradas.
    void OrdenarEncontradas();

    // "Capturar Protocolo" com a linha escolhida; verdadeiro quando capturou. A entrega é
    // lida, conferida e gravada numa transação: uma linha recusada pela base desfaz tudo e
    // lança com o texto do servidor, e a linha continua na lista para outra tentativa.
    bool actCapturarExecute();
    bool CapturarProtocolo();
    void RedesenharLista();
    // "Imprimir Recibo" (só no modo de recibo).
    void actImprimirExecute();
    void ImprimirSelecionado();
    bool ProtocoloCapturado(const std::string& protocolo, const std::string& data, const std::string& hora);

    void selecionar(int indice) { selecionado_ = indice; }  // linha da grade menos 1
    int selecionado() const { return selecionado_; }
    const std::vector<std::string>& encontradas() const { return encontradas_; }
    const std::vector<std::string>& capturadas() const { return capturadas_; }
    const std::string& pasta() const { return pasta_; }
    // As linhas da grade sem a dos títulos.
    std::vector<std::vector<std::string>> grade() const;

private:
    std::string linhaSelecionada() const;
    std::optional<int> declaracaoDaLinha(const std::string& linha);

    Tdm& dm_;
    ModoCaptura modo_;
    std::function<void(const Entrega&)> imprimir_;
    std::string pasta_;
    std::vector<std::string> encontradas_, capturadas_;
    int selecionado_ = 0;
};

}  // namespace kov
