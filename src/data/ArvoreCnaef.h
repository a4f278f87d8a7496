#pragma once
// Regras dos dois seletores das telas de cadastro, sem dependência de tela:
// - a árvore de atividades econômicas (CNAE-F) do ano base e a leitura do código e do
//   desmembramento de volta a partir do texto de um nó;
// - a busca de municípios pelo início do nome.
#include <optional>
#include <string>
#include <vector>

#include "data/Referencia.h"

namespace kov {

// Nível de um código pelo seu tamanho sem brancos.
enum class NivelCnaef { Divisao, Grupo, Classe, Subclasse, Desmembramento };

struct NoCnaef {
    std::string codigo;          // sem brancos
    std::string desmembramento;  // "00" numa subclasse
    NivelCnaef nivel = NivelCnaef::Divisao;
    std::string texto;           // texto mostrado no nó
    int pai = -1;                // índice em ArvoreCnaef::nos, -1 no primeiro nível
    std::vector<int> filhos;     // índices em ArvoreCnaef::nos, na ordem de leitura

    bool folha() const { return filhos.empty(); }
    // Só um nó sem filhos de código completo (7 dígitos) pode ser escolhido: o código de
    // uma divisão, grupo ou classe lido de volta do texto não seria um código válido.
    bool confirmavel() const { return folha() && codigo.size() == 7; }
};

// Os nós ficam numa lista na ordem de leitura; um nó sempre vem depois do seu pai.
struct ArvoreCnaef {
    std::vector<NoCnaef> nos;
    std::vector<int> raizes;  // nós do primeiro nível, na ordem de leitura
};

// Monta a árvore a partir das linhas na ordem CNAEF_ID, DESMEMBRAMENTO:
// 2 dígitos abrem um nó do primeiro nível; 3 dígitos ficam sob a última divisão; 5 sob o
// último grupo; 7 com desmembramento "00" sob a última classe e passam a ser a subclasse
// corrente; 7 com outro desmembramento sob a subclasse corrente (no primeiro nível quando
// ainda não há uma). Códigos de outros tamanhos ficam de fora.
// Quando falta o nível de cima (uma classe sem o seu grupo, por exemplo), o nó fica sob o
// ancestral mais próximo já lido cujo código começa o dele, ou no primeiro nível: nunca
// sob um nó de outro ramo.
ArvoreCnaef MontarArvoreCnaef(const std::vector<LinhaCNAEF>& linhas);

// Código sem os brancos.
std::string CodigoCnaefSemBrancos(const std::string& codigo);
// Código com a pontuação do seu tamanho: 2 e 3 dígitos como estão, 5 como "dddd-d",
// 7 como "dddd-d/dd"; outros tamanhos como estão.
std::string FormatarCodigoCnaef(const std::string& codigo);
// Texto de um nó: código formatado, "  [ dd ]  " quando o desmembramento não é "00",
// " - " e a descrição sem brancos nas pontas.
std::string TextoNoCnaef(const std::string& codigo, const std::string& desmembramento,
                         const std::string& descricao);

// Código de 7 dígitos lido do texto de um nó: caracteres 1 a 4, 6, 8 e 9. Vazio quando o
// texto é curto demais para ter um código completo.
std::string CodigoDoTextoCnaef(const std::string& texto);
// Desmembramento lido do texto de um nó: os dois caracteres que começam duas posições
// depois do "[" que segue o código; "00" quando o texto não traz desmembramento. O "["
// procurado é só o da marca logo após o código, para que um colchete na descrição não
// seja lido como desmembramento.
std::string DesmembramentoDoTextoCnaef(const std::string& texto);

// Índice do primeiro município da lista (na ordem em que ela vem, por DESCRICAO) cujo
// DESCRICAO começa com 'texto', comparando maiúsculas e minúsculas como estão. Vazio
// quando nenhum começa assim ou quando o texto é vazio (não há o que procurar).
std::optional<size_t> LocalizarMunicipio(const std::vector<LinhaMunicipio>& municipios, const std::string& texto);

// O texto digitado na busca de municípios, em maiúsculas (letras acentuadas também).
std::string TextoBuscaMunicipio(const std::string& digitado);

}  // namespace kov
