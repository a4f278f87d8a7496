#pragma once
// Os formulários impressos de uma declaração: os quatro da PRELO (entradas, saídas,
// débito/crédito e simplificada) e os três do KOV e da GI. Cada um é montado a partir dos
// dados da declaração e devolve nada quando não tem o que imprimir (seções ausentes, listas
// vazias), como as consultas dos formulários originais, que não imprimem relatório vazio.
//
// MontarFormularios aplica as regras da seleção: a ordem fixa (PRELO, entradas, saídas,
// KOV, outras entradas, GI) e os regimes de cada formulário.
#include <QDateTime>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "reports/DadosImpressao.h"
#include "reports/Relatorio.h"

namespace kov::relatorios {

enum class TipoFormulario { Prelo, Entradas, Saidas, Kov, KovOutras, GI };

// Nome do formulário no kov-cli e nos arquivos: "prelo", "entradas", "saidas", "kov",
// "kov-outras", "gi".
std::string NomeFormulario(TipoFormulario t);
std::optional<TipoFormulario> FormularioPeloNome(const std::string& nome);
const std::vector<TipoFormulario>& TodosFormularios();  // na ordem de produção

std::optional<Relatorio> TForm_imp_Prelo_Entradas(const DadosImpressao& dados, const QDateTime& momento);
std::optional<Relatorio> TForm_imp_Prelo_Saidas(const DadosImpressao& dados, const QDateTime& momento);
std::optional<Relatorio> TForm_imp_Prelo_DebCred(const DadosImpressao& dados, const QDateTime& momento);
std::optional<Relatorio> TForm_imp_Prelo_Simplificada(const DadosImpressao& dados, const QDateTime& momento);
std::optional<Relatorio> TForm_imp_Kov(const DadosImpressao& dados, const QDateTime& momento);
std::optional<Relatorio> TForm_imp_KovOutrasEntradas(const DadosImpressao& dados, const QDateTime& momento);
std::optional<Relatorio> TForm_Imp_GI(const DadosImpressao& dados, const QDateTime& momento);

// Textos calculados dos formulários completos.
std::string SimNao(const std::string& flag);                  // "Sim" para "S", senão "Não"
std::string TextoPeriodo(const Documento& doc);                // "01/2026 a 06/2026"
std::string LegendaMunicipio(const Documento& doc);            // "Município em 30/06/2026:"
std::string LegendaMudanca(const std::string& anoExercicio);   // "Mudou município em 2026:"
// Regra DesabilitaCampos do formulário do KOV: o regime, como texto, maior que "2".
bool OcultaTotalOperacoes(const Documento& doc);

struct FormularioMontado {
    TipoFormulario tipo;
    Relatorio relatorio;
};

// O formulário de um tipo para a declaração, pelas regras de regime: a PRELO é a de
// débito/crédito nos regimes 1, 2 e 4, a simplificada nos 5 e 6 e nenhuma nos demais;
// entradas e saídas só nos regimes 1, 2 e 4; KOV, outras entradas e GI em todos.
std::optional<Relatorio> MontarFormulario(TipoFormulario tipo, const DadosImpressao& dados, const QDateTime& momento);
// Os marcados, na ordem de produção, deixando de fora os que não se aplicam ou estão vazios.
std::vector<FormularioMontado> MontarFormularios(const DadosImpressao& dados, const std::set<TipoFormulario>& marcados,
                                                 const QDateTime& momento = QDateTime::currentDateTime());

}  // namespace kov::relatorios
