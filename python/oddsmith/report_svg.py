"""A report's chart: one stacked column per flop, grouped by high card (labelled
below) and sorted by texture within each group; the look (fonts, title,
legend, action colours) of the command line's strategy chart."""
from typing import Any, Dict, List, Optional, Protocol, Tuple
from xml.sax.saxutils import escape


class ReportTable(Protocol):
    """What the chart reads of a report (oddsmith.report.Report has it)."""
    kind: str
    columns: List[str]
    rows: List[Dict[str, Any]]

    def weighted_mean(self, name: str) -> float: ...

_RANK_ORDER = "AKQJT98765432"
_TEXTURES = ("rainbow", "two-tone", "monotone")
# Passive actions green, folds blue, bets and raises orange to dark red as they
# grow, the all-in darkest: the strategy chart's colours.
_AGGRESSIVE = ("#f4a259", "#e76f51", "#d1495b", "#b23a48", "#8c2f39", "#6a1b29")
_CATEGORY = ("#6a1b29", "#8c2f39", "#b23a48", "#d1495b", "#e76f51", "#f4a259", "#f6c667", "#a7c957", "#5ba05b",
             "#3d8b7d", "#6d8fbf", "#8e7cc3", "#b8b8b8")


def _action_colours(names: List[str]) -> List[str]:
    aggressive = [n for n in names if n.split()[0] in ("bet", "raise")]
    out = []
    for n in names:
        kind = n.split()[0]
        if kind in ("check", "call"):
            out.append("#5ba05b")
        elif kind == "fold":
            out.append("#6d8fbf")
        elif kind == "allin":
            out.append("#4a1020")
        else:
            i = aggressive.index(n)
            shade = 2 if len(aggressive) <= 1 else i * 5 // (len(aggressive) - 1)
            out.append(_AGGRESSIVE[min(shade, 5)])
    return out


def _sort_key(row: Dict[str, Any]) -> Tuple[int, int, str]:
    texture = str(row["texture"])
    suits = next((i for i, t in enumerate(_TEXTURES) if texture.startswith(t)), 0)
    return _RANK_ORDER.index(str(row["high"])), suits * 4 + (0 if "connected" in texture.split() else 1 if
                                                             "disconnected" in texture else 2), str(row["flop"])


def report_svg(report: ReportTable, title: Optional[str] = None) -> str:
    if report.kind == "solve":
        series = [c for c in report.columns if c.startswith("freq ")]
        labels = [c[len("freq "):] for c in series]
        colours = _action_colours(labels)
        what = "the root's action frequencies"
    else:
        series = [c for c in report.columns if c.startswith("oop ")]
        labels = [c[len("oop "):] for c in series]
        colours = [_CATEGORY[i % len(_CATEGORY)] for i in range(len(series))]
        what = "OOP's made hands"
    rows = sorted(report.rows, key=_sort_key)
    n = max(1, len(rows))
    bar = max(1, min(18, 1400 // n))
    left, top, plot_height = 20, 76, 300
    width = max(640, left * 2 + bar * n)
    legend_rows = (len(series) + 3) // 4
    height = top + plot_height + 44 + legend_rows * 24 + 30
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" viewBox="0 0 {width} {height}" '
           'font-family="Helvetica, Arial, sans-serif">\n<rect width="100%" height="100%" fill="#ffffff"/>\n',
           f'<text x="{left}" y="34" font-size="20" font-weight="bold" fill="#222">'
           f'{escape(title or f"{what.capitalize()} on {len(rows)} flops")}</text>\n',
           f'<text x="{left}" y="56" font-size="13" fill="#555">One column per flop, grouped by high card, then '
           f'rainbow, two-tone, monotone (connected first); the legend gives weighted means</text>\n']
    group_start = 0
    for i, row in enumerate(rows):
        x = left + i * bar
        at = float(top + plot_height)
        for name, colour in zip(series, colours):
            h = plot_height * float(row.get(name, 0.0))
            if h > 0.05:
                out.append(f'<rect x="{x}" y="{at - h:.2f}" width="{bar}" height="{h:.2f}" fill="{colour}"/>\n')
            at -= h
        last = i + 1 == len(rows) or rows[i + 1]["high"] != row["high"]
        if last:  # the high card's label under its group, a gap line after it
            middle = left + (group_start + i + 1) * bar / 2
            out.append(f'<text x="{middle:.1f}" y="{top + plot_height + 18}" font-size="13" text-anchor="middle" '
                       f'fill="#222">{escape(str(row["high"]))}</text>\n')
            if i + 1 < len(rows):
                out.append(f'<line x1="{x + bar}" y1="{top}" x2="{x + bar}" y2="{top + plot_height}" stroke="#fff" '
                           'stroke-width="1"/>\n')
            group_start = i + 1
    legend_top, column = top + plot_height + 36, (width - 2 * left) // 4
    for i, (name, label, colour) in enumerate(zip(series, labels, colours)):
        x, y = left + (i % 4) * column, legend_top + (i // 4) * 24
        out.append(f'<rect x="{x}" y="{y}" width="16" height="16" fill="{colour}"/>\n'
                   f'<text x="{x + 22}" y="{y + 13}" font-size="14" fill="#222">{escape(label)} '
                   f'{100 * report.weighted_mean(name):.1f}%</text>\n')
    out.append("</svg>\n")
    return "".join(out)
