"""Reads a word-processing document with python-docx and prints what the tests check as
JSON: every paragraph with its text, alignment and runs (font, size, bold, colour,
underline), the sections' page setup, the package's parts and the document's proofing
settings."""
import json
import sys

import docx
from docx.oxml.ns import qn


def run_of(run):
    font = run.font
    return {
        "text": run.text,
        "font": font.name,
        "size": font.size.pt if font.size is not None else None,
        "bold": font.bold,
        "colour": str(font.color.rgb) if font.color.rgb is not None else None,
        "underline": font.underline,
    }


def main(path):
    document = docx.Document(path)
    parts = sorted(str(part.partname) for part in document.part.package.iter_parts())
    settings = document.settings.element
    result = {
        "parts": parts,
        "paragraphs": [
            {
                "text": p.text,
                "alignment": int(p.alignment) if p.alignment is not None else None,
                "runs": [run_of(r) for r in p.runs],
            }
            for p in document.paragraphs
        ],
        "sections": [
            {
                "orientation": int(s.orientation),
                "width": s.page_width.pt,
                "height": s.page_height.pt,
                "top": s.top_margin.pt,
                "bottom": s.bottom_margin.pt,
                "left": s.left_margin.pt,
                "right": s.right_margin.pt,
            }
            for s in document.sections
        ],
        "hideSpellingErrors": settings.find(qn("w:hideSpellingErrors")) is not None,
        "hideGrammaticalErrors": settings.find(qn("w:hideGrammaticalErrors")) is not None,
    }
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
